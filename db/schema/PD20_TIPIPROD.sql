-- Product types (finished product, semi-finished, raw material).
CREATE TABLE PD20_TIPIPROD (
  PD20_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  PD20_TIPOPROD   CHAR(2) NOT NULL,       -- product type code
  PD20_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_PD20 PRIMARY KEY (PD20_DITTA_CG18, PD20_TIPOPROD)
)
