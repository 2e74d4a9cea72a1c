-- Life-cycle states of an article (active, prototype, running out, obsolete).
CREATE TABLE MG6W_STATIART (
  MG6W_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG6W_INDSTATO   DECIMAL(2,0) NOT NULL,  -- state code
  MG6W_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG6W PRIMARY KEY (MG6W_DITTA_CG18, MG6W_INDSTATO)
)
