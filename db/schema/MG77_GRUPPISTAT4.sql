-- Statistical group 4 of the articles: price band.
CREATE TABLE MG77_GRUPPISTAT4 (
  MG77_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG77_GRUSTAT4   CHAR(4) NOT NULL,       -- group code
  MG77_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG77 PRIMARY KEY (MG77_DITTA_CG18, MG77_GRUSTAT4)
)
