-- Projects. In an apparel company a project is a collection (a season's
-- line for men or women) or a special supply; order rows are tied to a
-- project, sub-project, job and sub-job through DO41_DOCCORPOPROGE.
CREATE TABLE PD68_PROGETTI (
  PD68_DITTA_CG18   DECIMAL(5,0) NOT NULL,  -- company
  PD68_CODPROGETTO  CHAR(25) NOT NULL,      -- project code
  PD68_DESCR        VARCHAR(60) NULL,       -- description
  PD68_TIPO_PD1D    CHAR(10) NULL,          -- project type
  PD68_STATO_PD1E   CHAR(10) NULL,          -- project state
  PD68_CLASSEA_PD1F CHAR(10) NULL,          -- classification A
  PD68_CLASSEB_PD1G CHAR(10) NULL,          -- classification B
  PD68_CLASSEC_PD1H CHAR(10) NULL,          -- classification C
  PD68_DATAINIZIO   DATETIME NULL,          -- start
  PD68_DATAFINE     DATETIME NULL,          -- planned end
  CONSTRAINT PK_PD68 PRIMARY KEY (PD68_DITTA_CG18, PD68_CODPROGETTO)
)
