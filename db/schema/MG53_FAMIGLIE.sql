-- Article families (outerwear, trousers, shirts, fabrics, trims, semi-finished).
CREATE TABLE MG53_FAMIGLIE (
  MG53_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG53_FAM        CHAR(4) NOT NULL,       -- family code
  MG53_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG53 PRIMARY KEY (MG53_DITTA_CG18, MG53_FAM)
)
