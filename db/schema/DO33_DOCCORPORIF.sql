-- References of a document row to rows of earlier documents: a production
-- order row to the customer order row it fulfils, a picking-list row to the
-- production order row it serves, a delivery-note row to the production
-- order row and to the picking-list row it was made from.
CREATE TABLE DO33_DOCCORPORIF (
  DO33_DITTA_CG18       DECIMAL(5,0) NOT NULL,  -- company
  DO33_NUMREG_CO99      CHAR(12) NOT NULL,      -- referring document
  DO33_PROGRIGA         DECIMAL(6,0) NOT NULL,  -- referring row
  DO33_PROGRIF          DECIMAL(3,0) NOT NULL,  -- reference number within the row
  DO33_NUMREGRIF_CO99   CHAR(12) NULL,          -- referred document
  DO33_PROGRIGARIF_DO30 DECIMAL(6,0) NULL,      -- referred row
  DO33_NUMVSDOC         VARCHAR(20) NULL,       -- the customer's document number
  DO33_DATAVSDOC        DATETIME NULL,          -- the customer's document date
  DO33_RIFVSDOC         VARCHAR(60) NULL,       -- reference text
  CONSTRAINT PK_DO33 PRIMARY KEY (DO33_DITTA_CG18, DO33_NUMREG_CO99, DO33_PROGRIGA, DO33_PROGRIF)
);
CREATE INDEX IX_DO33_RIF ON DO33_DOCCORPORIF (DO33_DITTA_CG18, DO33_NUMREGRIF_CO99, DO33_PROGRIGARIF_DO30)
