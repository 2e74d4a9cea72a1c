-- Short and extended descriptions of articles and of their variants, per
-- language. The row with an empty option describes the article itself;
-- an empty language is the base language (Italian).
CREATE TABLE MG87_ARTDESC (
  MG87_DITTA_CG18   DECIMAL(5,0) NOT NULL,  -- company
  MG87_CODART_MG66  CHAR(25) NOT NULL,      -- article
  MG87_OPZIONE_MG5E CHAR(20) NOT NULL,      -- variant code, '' for the article
  MG87_LINGUA_MG52  CHAR(3) NOT NULL,       -- language, '' for the base language
  MG87_DESCART      NVARCHAR(72) NULL,      -- short description
  MG87_DESCARTEST   NVARCHAR(1672) NULL,    -- extended description
  CONSTRAINT PK_MG87 PRIMARY KEY (MG87_DITTA_CG18, MG87_CODART_MG66, MG87_OPZIONE_MG5E, MG87_LINGUA_MG52)
)
