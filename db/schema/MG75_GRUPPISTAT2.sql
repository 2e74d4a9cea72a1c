-- Statistical group 2 of the articles: line (ceremony, business, casual).
CREATE TABLE MG75_GRUPPISTAT2 (
  MG75_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG75_GRUSTAT2   CHAR(4) NOT NULL,       -- group code
  MG75_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG75 PRIMARY KEY (MG75_DITTA_CG18, MG75_GRUSTAT2)
)
