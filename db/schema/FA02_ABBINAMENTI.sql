-- Combination codes: garments sold together (a suit is a jacket and
-- trousers of the same cloth). Order rows of the two garments carry the same
-- combination code so they are cut and delivered together.
CREATE TABLE FA02_ABBINAMENTI (
  FA02_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  FA02_CODABB      CHAR(10) NOT NULL,      -- combination code
  FA02_DESCRIZIONE VARCHAR(60) NULL,       -- description
  CONSTRAINT PK_FA02 PRIMARY KEY (FA02_DITTA_CG18, FA02_CODABB)
)
