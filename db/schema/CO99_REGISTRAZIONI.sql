-- Registration numbers. Every document gets a registration number that is
-- unique in the company across all document types; headers, rows and every
-- table hanging from them are keyed by it. The sample numbers are the year,
-- the document type and a progressive (2025ODP00017).
CREATE TABLE CO99_REGISTRAZIONI (
  CO99_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  CO99_NUMREG     CHAR(12) NOT NULL,      -- registration number
  CO99_CODMODULO  CHAR(2) NULL,           -- module that registered it (DO documents)
  CO99_DATAREG    DATETIME NULL,          -- registration date
  CONSTRAINT PK_CO99 PRIMARY KEY (CO99_DITTA_CG18, CO99_NUMREG)
)
