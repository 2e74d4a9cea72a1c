-- Project and job of a document row: the collection (project) and
-- sub-project it belongs to, the node of the project structure, and the job
-- (a customer supply contract) with its sub-job.
CREATE TABLE DO41_DOCCORPOPROGE (
  DO41_DITTA_CG18   DECIMAL(5,0) NOT NULL,  -- company
  DO41_NUMREG_CO99  CHAR(12) NOT NULL,      -- document
  DO41_PROGRIGA     DECIMAL(6,0) NOT NULL,  -- row
  DO41_CODPROGETTO  CHAR(25) NULL,          -- project
  DO41_CODSPROGETTO DECIMAL(4,0) NULL,      -- sub-project
  DO41_NODORIF_PD0C CHAR(25) NULL,          -- node of the project structure
  DO41_CODCOMMESSA  CHAR(25) NULL,          -- job
  DO41_CODSCOMMESSA DECIMAL(4,0) NULL,      -- sub-job
  CONSTRAINT PK_DO41 PRIMARY KEY (DO41_DITTA_CG18, DO41_NUMREG_CO99, DO41_PROGRIGA)
)
