-- The other party's references of a document: the customer's own order
-- number, date and reference text.
CREATE TABLE DO12_DOCTESTARIF (
  DO12_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  DO12_NUMREG_CO99 CHAR(12) NOT NULL,      -- document
  DO12_NUMVSDOC    VARCHAR(20) NULL,       -- the customer's document number
  DO12_DATAVSDOC   DATETIME NULL,          -- the customer's document date
  DO12_RIFVSDOC    VARCHAR(60) NULL,       -- reference text
  CONSTRAINT PK_DO12 PRIMARY KEY (DO12_DITTA_CG18, DO12_NUMREG_CO99)
)
