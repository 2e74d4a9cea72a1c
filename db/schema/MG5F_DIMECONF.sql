-- Variant dimensions of the company (colour, size, fit, ...). A variant code
-- is 20 characters long and is the concatenation of one option per
-- dimension in MG5F_CODICEVAR order: a dimension starts at 1 plus the sizes
-- of all dimensions with a lower code. The dimension with MG5F_INDGRIGLIA
-- greater than 0 is the size, laid out as the columns of the size grid.
CREATE TABLE MG5F_DIMECONF (
  MG5F_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG5F_CODICEVAR  CHAR(2) NOT NULL,       -- dimension code, A0 to B9, also its position order
  MG5F_DESCR_VAR  VARCHAR(40) NULL,       -- description (Colore, Taglia, ...)
  MG5F_SIZE       DECIMAL(2,0) NULL,      -- characters the option code takes in the variant code
  MG5F_INDGRIGLIA DECIMAL(1,0) NULL,      -- greater than 0 for the size dimension shown as a grid
  CONSTRAINT PK_MG5F PRIMARY KEY (MG5F_DITTA_CG18, MG5F_CODICEVAR)
)
