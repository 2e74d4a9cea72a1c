-- Companies kept in the database. Every other company-specific table
-- carries the company code in its first column (..._DITTA_CG18), and every
-- query filters on it, so one database can hold several companies.
CREATE TABLE CG18_DITTE (
  CG18_DITTA          DECIMAL(5,0) NOT NULL,  -- company code
  CG18_RAGSOC         VARCHAR(80) NULL,       -- company name
  CG18_INDIRIZZO      VARCHAR(60) NULL,       -- street address
  CG18_CAP            CHAR(5) NULL,           -- postal code
  CG18_CITTA          VARCHAR(40) NULL,       -- town
  CG18_PROV           CHAR(2) NULL,           -- province
  CG18_PARTIVA        CHAR(11) NULL,          -- VAT number
  CG18_FLGVERTVESTARO DECIMAL(1,0) NULL,      -- 1 = the apparel vertical (variants, size grids) is in use
  CONSTRAINT PK_CG18 PRIMARY KEY (CG18_DITTA)
)
