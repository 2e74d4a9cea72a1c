-- Statistical group 3 of the articles: target (men, women).
CREATE TABLE MG76_GRUPPISTAT3 (
  MG76_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG76_GRUSTAT3   CHAR(4) NOT NULL,       -- group code
  MG76_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG76 PRIMARY KEY (MG76_DITTA_CG18, MG76_GRUSTAT3)
)
