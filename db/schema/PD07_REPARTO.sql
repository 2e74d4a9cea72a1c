-- Production departments (cutting room, sewing, pressing, quality control).
CREATE TABLE PD07_REPARTO (
  PD07_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  PD07_CODREP     CHAR(5) NOT NULL,       -- department code
  PD07_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_PD07 PRIMARY KEY (PD07_DITTA_CG18, PD07_CODREP)
)
