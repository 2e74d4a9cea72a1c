-- Document sections: separate numbering series of the same document type
-- (for instance internal production and production in subcontract).
CREATE TABLE CG68_SEZIONALI (
  CG68_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  CG68_SEZDOC     CHAR(2) NOT NULL,       -- section code
  CG68_DESCSEZ    VARCHAR(40) NULL,       -- section description
  CONSTRAINT PK_CG68 PRIMARY KEY (CG68_DITTA_CG18, CG68_SEZDOC)
)
