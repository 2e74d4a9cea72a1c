-- Progress movements of production-order phases: each report of pieces
-- done and scrapped on a phase. DO57_INDMOV: 1 internal progress, 2 return
-- from a subcontractor, 6 progress with receipt of the finished pieces into
-- stock, 7 issue of the phase's components. Movements 6 and 7 have posted
-- stock, so their phase can no longer be changed. The good and scrapped
-- quantities of movements 1, 2 and 6 add up to the phase's consolidated and
-- scrapped quantities.
CREATE TABLE DO57_DETAVANZ (
  DO57_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  DO57_NUMREG_CO99   CHAR(12) NOT NULL,      -- production order
  DO57_PROGRIGA_DO46 DECIMAL(6,0) NOT NULL,  -- row
  DO57_PROGDET_DO46  DECIMAL(3,0) NOT NULL,  -- phase detail
  DO57_PROGMOV       DECIMAL(4,0) NOT NULL,  -- movement number within the phase
  DO57_INDMOV        DECIMAL(2,0) NULL,      -- movement kind
  DO57_DATAMOV       DATETIME NULL,          -- date and time of the report
  DO57_QTA1          DECIMAL(14,3) NULL,     -- good pieces, first unit
  DO57_QTA2          DECIMAL(14,3) NULL,     -- good, second unit
  DO57_QTA1SCARTO    DECIMAL(14,3) NULL,     -- scrapped, first unit
  DO57_QTA2SCARTO    DECIMAL(14,3) NULL,     -- scrapped, second unit
  DO57_CODDEP_MG58   CHAR(2) NULL,           -- depot moved
  DO57_TEMPOLAV      DECIMAL(9,4) NULL,      -- time worked, hours
  DO57_MACCHINA_PD08 CHAR(10) NULL,          -- machine
  CONSTRAINT PK_DO57 PRIMARY KEY (DO57_DITTA_CG18, DO57_NUMREG_CO99, DO57_PROGRIGA_DO46, DO57_PROGDET_DO46, DO57_PROGMOV)
)
