-- Where an article comes from: made in house, made by subcontractors, bought.
CREATE TABLE PD21_PROVENIENZE (
  PD21_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  PD21_CODPROD    CHAR(2) NOT NULL,       -- provenance code
  PD21_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_PD21 PRIMARY KEY (PD21_DITTA_CG18, PD21_CODPROD)
)
