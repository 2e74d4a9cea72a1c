-- Document headers: customer orders, production orders, subcontract orders,
-- picking lists and delivery notes. DO11_TIPODOC / DO11_STIPODOC give the
-- kind: 10/1 customer order, 12/3 production order, 12/4 subcontract order,
-- 14/2 picking list, 25/13 delivery note to a subcontractor.
CREATE TABLE DO11_DOCTESTATA (
  DO11_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  DO11_NUMREG_CO99 CHAR(12) NOT NULL,      -- registration number
  DO11_TIPODOC     DECIMAL(3,0) NULL,      -- document kind
  DO11_STIPODOC    DECIMAL(3,0) NULL,      -- document sub-kind
  DO11_DOCUM_MG36  CHAR(3) NULL,           -- document type
  DO11_SEZDOC      CHAR(2) NULL,           -- section (numbering series)
  DO11_NUMDOC      DECIMAL(8,0) NULL,      -- document number within type, section and year
  DO11_DATADOC     DATETIME NULL,          -- document date
  DO11_DATAREG     DATETIME NULL,          -- registration date
  DO11_TIPOCF_CG44 CHAR(1) NULL,           -- 'C' customer or 'F' supplier of the document
  DO11_CLIFOR_CG44 DECIMAL(8,0) NULL,      -- customer or supplier (NULL for production for stock)
  DO11_CODDEP_MG58 CHAR(2) NULL,           -- depot of the document
  DO11_NOTE        VARCHAR(255) NULL,      -- notes
  CONSTRAINT PK_DO11 PRIMARY KEY (DO11_DITTA_CG18, DO11_NUMREG_CO99)
)
