-- Sub-families of an article family.
CREATE TABLE MG54_SOTTOFAM (
  MG54_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG54_FAM_MG53   CHAR(4) NOT NULL,       -- family
  MG54_SFAM       CHAR(4) NOT NULL,       -- sub-family code
  MG54_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG54 PRIMARY KEY (MG54_DITTA_CG18, MG54_FAM_MG53, MG54_SFAM)
)
