-- Options belonging to an option group, in the order they are shown (sizes
-- from the smallest up), with an optional description of the option within
-- the group ("Collo 39" in the shirt size run).
CREATE TABLE MG5H_COMPRAGVAR (
  MG5H_DITTA_CG18     DECIMAL(5,0) NOT NULL,  -- company
  MG5H_CODICEVAR_MG5F CHAR(2) NOT NULL,       -- dimension
  MG5H_RAGGR_MG5G     CHAR(10) NOT NULL,      -- option group
  MG5H_OPZIONE_MG5E   CHAR(20) NOT NULL,      -- option
  MG5H_SEQOPZIONE     DECIMAL(4,0) NULL,      -- display order within the group
  MG5H_DESCR          VARCHAR(40) NULL,       -- description of the option within the group
  CONSTRAINT PK_MG5H PRIMARY KEY (MG5H_DITTA_CG18, MG5H_CODICEVAR_MG5F, MG5H_RAGGR_MG5G, MG5H_OPZIONE_MG5E)
)
