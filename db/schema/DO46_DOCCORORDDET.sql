-- Phases of a production-order row: its working cycle, one row per phase
-- and sub-phase (DO46_PROGDET numbers them within the row). A sub-phase
-- repeats its main phase's code and sequence code with DO46_PROGSFASE > 0;
-- the main phase (DO46_PROGSFASE = 0) then sums it up. Every phase is
-- ordered for the row's whole quantity; the consolidated (done) and scrapped
-- quantities grow as work is reported (DO57_DETAVANZ). Picking lists carry
-- rows here too, naming the phase each of their rows serves.
-- DO46_INDSTATOORD: 0 generated, 1 printed, 2 advanced, 3 balanced (closed),
-- 4 on a picking list or delivery note. DO46_INDSTATOMES: 1 launched,
-- 2 started on the shop floor, NULL when not sent to the shop floor.
CREATE TABLE DO46_DOCCORORDDET (
  DO46_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  DO46_NUMREG_CO99   CHAR(12) NOT NULL,      -- document
  DO46_PROGRIGA      DECIMAL(6,0) NOT NULL,  -- row
  DO46_PROGDET       DECIMAL(3,0) NOT NULL,  -- phase detail number within the row
  DO46_CODSEQFASE    DECIMAL(5,0) NULL,      -- sequence code in the cycle (10, 20, 30, ...)
  DO46_SEQFASE       DECIMAL(3,0) NULL,      -- position of the main phase in the cycle
  DO46_CODFASE       DECIMAL(5,0) NULL,      -- phase (PD12_FASI)
  DO46_PROGSFASE     DECIMAL(4,0) NULL,      -- sub-phase number, 0 for the main phase
  DO46_DESCRFASE     VARCHAR(60) NULL,       -- description
  DO46_INDFASEINTEST DECIMAL(1,0) NULL,      -- 0 internal, 1 external
  DO46_INDSTATOORD   TINYINT NULL,           -- phase state
  DO46_INDSTATOMES   TINYINT NULL,           -- shop-floor state
  DO46_FLGGENORDCLAV DECIMAL(1,0) NULL,      -- 1 = a subcontract order was generated for the phase
  DO46_TIPOCF_CG44   CHAR(1) NULL,           -- 'F' for the subcontractor
  DO46_CLIFOR_CG44   DECIMAL(8,0) NULL,      -- subcontractor of an external phase
  DO46_CODREPARTO    CHAR(5) NULL,           -- department of an internal phase (PD07_REPARTO)
  DO46_MACCHINAALT   CHAR(10) NULL,          -- machine of an internal phase (PD08_MACCHINA)
  DO46_CODDEP_MG58   CHAR(2) NULL,           -- depot where the phase works (the subcontractor depot for external phases)
  DO46_DATAINIZIO    DATETIME NULL,          -- planned start
  DO46_DATAFINE      DATETIME NULL,          -- planned end
  DO46_TEMPOLAV      DECIMAL(9,4) NULL,      -- planned working time, hours
  DO46_ATTREZZO_PD26 CHAR(10) NULL,          -- tool
  DO46_VARATTR_PD26  CHAR(20) NULL,          -- tool variant
  DO46_KITATT_PD56   CHAR(10) NULL,          -- tool kit
  DO46_NOTEGENER     VARCHAR(255) NULL,      -- general notes
  DO46_NOTEMONT      VARCHAR(255) NULL,      -- assembly notes
  DO46_NOTECOSTR     VARCHAR(255) NULL,      -- making notes
  DO46_QTA1ORD       DECIMAL(14,3) NULL,     -- ordered, first unit
  DO46_QTA2ORD       DECIMAL(14,3) NULL,     -- ordered, second unit
  DO46_QTA1CONSOLID  DECIMAL(14,3) NULL,     -- consolidated (done), first unit
  DO46_QTA2CONSOLID  DECIMAL(14,3) NULL,     -- consolidated, second unit
  DO46_QTA1SCARTO    DECIMAL(14,3) NULL,     -- scrapped, first unit
  DO46_QTA2SCARTO    DECIMAL(14,3) NULL,     -- scrapped, second unit
  DO46_QTADAAVANZ    DECIMAL(14,3) NULL,     -- entered to advance, first unit (work field of the progress screens)
  DO46_QTA2DAAVANZ   DECIMAL(14,3) NULL,     -- entered to advance, second unit
  DO46_QTADASCART    DECIMAL(14,3) NULL,     -- entered to scrap, first unit
  DO46_QTA2DASCART   DECIMAL(14,3) NULL,     -- entered to scrap, second unit
  DO46_QTAPINVTERZ   DECIMAL(14,3) NULL,     -- sent to the subcontractor, first unit
  DO46_QTA2PINVTERZ  DECIMAL(14,3) NULL,     -- sent to the subcontractor, second unit
  DO46_SELEZ         CHAR(1) NULL,           -- selection mark of the progress screens
  DO46_FLGSALDO      DECIMAL(1,0) NULL,      -- 1 = phase balanced
  DO46_FLGSALDOORD   DECIMAL(1,0) NULL,      -- 1 = balance the order row with this phase
  DO46_FLGSALDOODL   DECIMAL(1,0) NULL,      -- 1 = balance the subcontract order with this phase
  DO46_DEPVERSAM     CHAR(2) NULL,           -- depot receiving the good pieces
  DO46_DEPSCARTO     CHAR(2) NULL,           -- depot receiving the scrap
  DO46_DOCSCARTO     CHAR(3) NULL,           -- document type used to post scrap
  DO46_IDLAVTERZ     DECIMAL(10,0) NULL,     -- subcontract work reference
  CONSTRAINT PK_DO46 PRIMARY KEY (DO46_DITTA_CG18, DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_PROGDET)
)
