-- General registry of names and addresses, shared by customers and suppliers
-- (CG44_CLIFOR points here). A registry entry is kept in versions: when a
-- company changes its name or address a new version starts on the day of the
-- change, so documents show the name valid on their own date.
CREATE TABLE CG16_ANAGRGEN (
  CG16_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  CG16_CODANAG       DECIMAL(8,0) NOT NULL,  -- registry code
  CG16_DATAINIZIOVAL DATETIME NOT NULL,      -- first day this version is valid
  CG16_DATAFINEVAL   DATETIME NULL,          -- last day this version is valid (NULL = still valid)
  CG16_RAGSOANAG     VARCHAR(80) NULL,       -- company or person name
  CG16_INDIRIZZO     VARCHAR(60) NULL,       -- street address
  CG16_CAP           CHAR(5) NULL,           -- postal code
  CG16_CITTA         VARCHAR(40) NULL,       -- town
  CG16_PROV          CHAR(2) NULL,           -- province
  CG16_CODNAZ        CHAR(2) NULL,           -- country (ISO code)
  CG16_PARTIVA       VARCHAR(16) NULL,       -- VAT number
  CONSTRAINT PK_CG16 PRIMARY KEY (CG16_DITTA_CG18, CG16_CODANAG, CG16_DATAINIZIOVAL)
)
