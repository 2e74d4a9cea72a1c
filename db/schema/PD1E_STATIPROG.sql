-- Project states (planned, running, closed).
CREATE TABLE PD1E_STATIPROG (
  PD1E_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  PD1E_STATO      CHAR(10) NOT NULL,      -- code
  PD1E_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_PD1E PRIMARY KEY (PD1E_DITTA_CG18, PD1E_STATO)
)
