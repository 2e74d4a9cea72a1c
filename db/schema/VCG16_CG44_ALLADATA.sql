-- Customers and suppliers with the name and address valid on a date: one
-- row per version of the registry entry, with the first and last day the
-- version is valid (NULL = open). Join with a BETWEEN on the document date.
CREATE VIEW VCG16_CG44_ALLADATA AS
SELECT CG44_DITTA_CG18        AS VCG16_44_CF_DITTA,
       CG44_TIPOCF            AS VCG16_44_CF_TIPOCF,
       CG44_CLIFOR            AS VCG16_44_CF_CLIFOR,
       CG44_ANAG_CG16         AS VCG16_44_CF_ANAG,
       CG44_FLGTERZISTA       AS VCG16_44_CF_FLGTERZISTA,
       CG16_RAGSOANAG,
       CG16_INDIRIZZO,
       CG16_CAP,
       CG16_CITTA,
       CG16_PROV,
       CG16_CODNAZ,
       CG16_PARTIVA,
       CG16_DATAINIZIOVAL     AS DATAINIZIOVALIDITA,
       CG16_DATAFINEVAL       AS DATAFINEVALIDITA
FROM CG44_CLIFOR
INNER JOIN CG16_ANAGRGEN
ON CG16_DITTA_CG18 = CG44_DITTA_CG18 AND
   CG16_CODANAG    = CG44_ANAG_CG16
