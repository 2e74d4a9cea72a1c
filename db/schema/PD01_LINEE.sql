-- Production lines: the flow a family of garments goes through (outerwear,
-- trousers, shirts).
CREATE TABLE PD01_LINEE (
  PD01_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  PD01_CODLINEA    CHAR(5) NOT NULL,       -- line code
  PD01_DESCR       VARCHAR(40) NULL,       -- description
  PD01_CODREP_PD07 CHAR(5) NULL,           -- department leading the line
  CONSTRAINT PK_PD01 PRIMARY KEY (PD01_DITTA_CG18, PD01_CODLINEA)
)
