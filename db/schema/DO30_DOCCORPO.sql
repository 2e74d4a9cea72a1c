-- Document rows. A garment ordered on a size grid is kept as a parent row
-- (DO30_FLGPADRE = 1, DO30_PROGPADRE = 0) that holds the totals, followed by
-- one row per size whose DO30_PROGPADRE is the parent's DO30_PROGRIGA; the
-- parent's quantities are the sums of its size rows. Phases, components and
-- progress belong to the size rows. A row without size grid (semi-finished
-- parts) has DO30_PROGPADRE = 0 and DO30_FLGPADRE = 0. The variant code
-- DO30_OPZIONE_MG5E of a parent row has blanks in the size positions.
CREATE TABLE DO30_DOCCORPO (
  DO30_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  DO30_NUMREG_CO99   CHAR(12) NOT NULL,      -- document
  DO30_PROGRIGA      DECIMAL(6,0) NOT NULL,  -- row number
  DO30_PROGPADRE     DECIMAL(6,0) NULL,      -- parent row of a size row, 0 otherwise
  DO30_FLGPADRE      DECIMAL(1,0) NULL,      -- 1 on the parent row of a size grid
  DO30_PROGVISUASTA  DECIMAL(6,0) NULL,      -- display and print order
  DO30_CODART_MG66   CHAR(25) NULL,          -- article
  DO30_OPZIONE_MG5E  CHAR(20) NULL,          -- variant code
  DO30_DESCART       NVARCHAR(72) NULL,      -- description of the article as printed on the document
  DO30_UM1           CHAR(3) NULL,           -- first unit of measure
  DO30_QTA1          DECIMAL(14,3) NULL,     -- quantity in the first unit
  DO30_UM2           CHAR(3) NULL,           -- second unit of measure
  DO30_QTA2          DECIMAL(14,3) NULL,     -- quantity in the second unit
  DO30_PREZZO1       DECIMAL(16,5) NULL,     -- unit price (standard cost on production orders)
  DO30_IMPORTORIGA   DECIMAL(16,2) NULL,     -- row amount
  DO30_IMPNETSCP     DECIMAL(16,2) NULL,     -- row amount net of discounts
  DO30_IMPNETSCP_VAL DECIMAL(16,2) NULL,     -- the same in the document currency
  DO30_CODDEP_MG58   CHAR(2) NULL,           -- depot of the row
  DO30_CODFASE_PD12  DECIMAL(5,0) NULL,      -- phase served by a row of a picking list, delivery note or subcontract order
  DO30_CODABB_FA02   CHAR(10) NULL,          -- combination code (suits)
  CONSTRAINT PK_DO30 PRIMARY KEY (DO30_DITTA_CG18, DO30_NUMREG_CO99, DO30_PROGRIGA)
);
CREATE INDEX IX_DO30_PADRE ON DO30_DOCCORPO (DO30_DITTA_CG18, DO30_NUMREG_CO99, DO30_PROGPADRE)
