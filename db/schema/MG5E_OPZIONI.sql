-- Options of a variant dimension: the colours of the colour dimension, the
-- sizes of the size dimension, and so on.
CREATE TABLE MG5E_OPZIONI (
  MG5E_DITTA_CG18     DECIMAL(5,0) NOT NULL,  -- company
  MG5E_CODICEVAR_MG5F CHAR(2) NOT NULL,       -- dimension
  MG5E_OPZIONE        CHAR(20) NOT NULL,      -- option code (only the first MG5F_SIZE characters are used)
  MG5E_DESCR          VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG5E PRIMARY KEY (MG5E_DITTA_CG18, MG5E_CODICEVAR_MG5F, MG5E_OPZIONE)
)
