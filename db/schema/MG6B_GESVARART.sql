-- Variant dimensions of each article: one row per dimension of the company,
-- saying whether the article is managed in that dimension and which option
-- group it takes its options from (empty = every option of the dimension).
-- An unmanaged dimension stays blank in the article's variant codes.
CREATE TABLE MG6B_GESVARART (
  MG6B_DITTA_CG18      DECIMAL(5,0) NOT NULL,  -- company
  MG6B_CODART_MG66     CHAR(25) NOT NULL,      -- article
  MG6B_CODICEVAR_MG5F  CHAR(2) NOT NULL,       -- dimension
  MG6B_FLGGESTVAR      DECIMAL(1,0) NULL,      -- 1 = the article varies in this dimension
  MG6B_CODRAGGVAR_MG5G CHAR(10) NULL,          -- option group of the dimension for this article
  CONSTRAINT PK_MG6B PRIMARY KEY (MG6B_DITTA_CG18, MG6B_CODART_MG66, MG6B_CODICEVAR_MG5F)
)
