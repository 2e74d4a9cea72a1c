-- Statistical group 1 of the articles: season.
CREATE TABLE MG74_GRUPPISTAT1 (
  MG74_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG74_GRUSTAT1   CHAR(4) NOT NULL,       -- group code
  MG74_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG74 PRIMARY KEY (MG74_DITTA_CG18, MG74_GRUSTAT1)
)
