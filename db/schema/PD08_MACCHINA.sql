-- Machines and work centres of the departments.
CREATE TABLE PD08_MACCHINA (
  PD08_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  PD08_MACCHINA    CHAR(10) NOT NULL,      -- machine code
  PD08_DESCR       VARCHAR(40) NULL,       -- description
  PD08_CODREP_PD07 CHAR(5) NULL,           -- department the machine stands in
  CONSTRAINT PK_PD08 PRIMARY KEY (PD08_DITTA_CG18, PD08_MACCHINA)
)
