-- Customers ('C') and suppliers ('F') of the company. Subcontractors are
-- suppliers with CG44_FLGTERZISTA = 1; the goods they work on are held in a
-- depot of their own (CG44_CODDEP_MG58) while they are at their premises.
CREATE TABLE CG44_CLIFOR (
  CG44_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  CG44_TIPOCF      CHAR(1) NOT NULL,       -- 'C' customer, 'F' supplier
  CG44_CLIFOR      DECIMAL(8,0) NOT NULL,  -- customer or supplier number
  CG44_ANAG_CG16   DECIMAL(8,0) NULL,      -- registry entry with name and address
  CG44_FLGTERZISTA DECIMAL(1,0) NULL,      -- 1 = subcontractor working on our phases
  CG44_CODDEP_MG58 CHAR(2) NULL,           -- subcontractor's depot
  CONSTRAINT PK_CG44 PRIMARY KEY (CG44_DITTA_CG18, CG44_TIPOCF, CG44_CLIFOR)
)
