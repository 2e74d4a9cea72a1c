-- Project classification B: line (men, women).
CREATE TABLE PD1G_CLASSIBPROG (
  PD1G_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  PD1G_CLASSEB    CHAR(10) NOT NULL,      -- code
  PD1G_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_PD1G PRIMARY KEY (PD1G_DITTA_CG18, PD1G_CLASSEB)
)
