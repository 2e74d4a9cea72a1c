-- Order data of a document row (customer, production and subcontract
-- orders): delivery dates, state and the quantity delivered so far.
-- DO31_INDSTATOCONS: 0 issued, 1 confirmed, 2 launched, 3 in production,
-- 4 partly delivered, 9 closed.
CREATE TABLE DO31_DOCCORPOORD (
  DO31_DITTA_CG18     DECIMAL(5,0) NOT NULL,  -- company
  DO31_NUMREG_CO99    CHAR(12) NOT NULL,      -- document
  DO31_PROGRIGA       DECIMAL(6,0) NOT NULL,  -- row
  DO31_DATAINIZLAV    DATETIME NULL,          -- planned start of work
  DO31_DATACONS       DATETIME NULL,          -- delivery date
  DO31_DATACONSINT    DATETIME NULL,          -- delivery date confirmed internally
  DO31_DATACONSORIG   DATETIME NULL,          -- delivery date first promised
  DO31_INDSTATOCONS   DECIMAL(1,0) NULL,      -- order row state
  DO31_FLGNONPIUEV    DECIMAL(1,0) NULL,      -- 1 = balanced, nothing more will be delivered
  DO31_QTA1CONS       DECIMAL(14,3) NULL,     -- quantity delivered (received into stock), first unit
  DO31_QTA2CONS       DECIMAL(14,3) NULL,     -- quantity delivered, second unit
  DO31_QTA1TRASFDDTCL DECIMAL(14,3) NULL,     -- quantity shipped to the customer on delivery notes
  CONSTRAINT PK_DO31 PRIMARY KEY (DO31_DITTA_CG18, DO31_NUMREG_CO99, DO31_PROGRIGA)
)
