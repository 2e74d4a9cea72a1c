-- Production data of an article: its kind, product type, provenance, the
-- department and line that make it, minimum lot and lead time.
CREATE TABLE PD18_ARTPROD (
  PD18_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  PD18_CODART_MG66   CHAR(25) NOT NULL,      -- article
  PD18_INDTIPOART    DECIMAL(1,0) NULL,      -- 0 standard, 1 standard per project, 2 localised, 3 customised per project
  PD18_TIPOPROD_PD20 CHAR(2) NULL,           -- product type
  PD18_CODPROD_PD21  CHAR(2) NULL,           -- provenance
  PD18_CODREP_PD07   CHAR(5) NULL,           -- department responsible for the article
  PD18_CODLINEA_PD01 CHAR(5) NULL,           -- production line
  PD18_LOTTOMIN      DECIMAL(14,3) NULL,     -- minimum production or purchase lot
  PD18_GGLAV         DECIMAL(3,0) NULL,      -- lead time in days
  CONSTRAINT PK_PD18 PRIMARY KEY (PD18_DITTA_CG18, PD18_CODART_MG66)
)
