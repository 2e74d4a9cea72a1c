-- Languages the article descriptions can be written in. Shared by all
-- companies (no company column); each company enables its own subset in
-- MG47_PARMAGLINGUE. The base language of a description is the empty code.
CREATE TABLE MG52_LINGUE (
  MG52_CODLINGUA   CHAR(3) NOT NULL,  -- language code (ENG, DEU, FRA, ...)
  MG52_DESCRLINGUA VARCHAR(40) NULL,  -- language name
  CONSTRAINT PK_MG52 PRIMARY KEY (MG52_CODLINGUA)
)
