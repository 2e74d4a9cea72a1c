-- Languages enabled for a company: the descriptions of its articles are
-- kept and generated in each of them besides the base language.
CREATE TABLE MG47_PARMAGLINGUE (
  MG47_DITTA_CG18     DECIMAL(5,0) NOT NULL,  -- company
  MG47_CODLINGUA_MG52 CHAR(3) NOT NULL,       -- enabled language
  MG47_PROGORD        DECIMAL(2,0) NULL,      -- order in which the languages are shown
  CONSTRAINT PK_MG47 PRIMARY KEY (MG47_DITTA_CG18, MG47_CODLINGUA_MG52)
)
