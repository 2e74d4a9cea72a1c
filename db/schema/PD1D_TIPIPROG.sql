-- Project types (seasonal collection, capsule, special supply).
CREATE TABLE PD1D_TIPIPROG (
  PD1D_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  PD1D_TIPO       CHAR(10) NOT NULL,      -- code
  PD1D_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_PD1D PRIMARY KEY (PD1D_DITTA_CG18, PD1D_TIPO)
)
