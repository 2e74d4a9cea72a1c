-- Depots (warehouses). Besides the company's own stores there is one depot
-- per subcontractor, holding the goods sent out to be worked.
CREATE TABLE MG58_DEPOSITI (
  MG58_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  MG58_CODDEP      CHAR(2) NOT NULL,       -- depot code
  MG58_DESCR       VARCHAR(40) NULL,       -- description
  MG58_INDTIPODEP  DECIMAL(1,0) NULL,      -- 0 store, 1 production floor, 2 at a subcontractor, 3 seconds and scrap
  MG58_TIPOCF_CG44 CHAR(1) NULL,           -- 'F' for a subcontractor's depot
  MG58_CLIFOR_CG44 DECIMAL(8,0) NULL,      -- the subcontractor holding the depot's goods
  CONSTRAINT PK_MG58 PRIMARY KEY (MG58_DITTA_CG18, MG58_CODDEP)
)
