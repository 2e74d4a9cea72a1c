-- Proposals of the requirements planning: make, buy or subcontract a
-- quantity of an article variant by a date. Size proposals of one garment
-- and colour share PD39_PROGPADRE (the number of the group's first
-- proposal). A proposal raised by a customer order points to its row.
CREATE TABLE PD39_PROPOSTE (
  PD39_DITTA_CG18      DECIMAL(5,0) NOT NULL,   -- company
  PD39_NUMPRO_PD31     DECIMAL(10,0) NOT NULL,  -- proposal number
  PD39_INDTIPOPRO      DECIMAL(1,0) NULL,       -- 0 production, 1 purchase, 2 subcontract
  PD39_CODART_MG66     CHAR(25) NULL,           -- article
  PD39_OPZIONE_MG5E    CHAR(20) NULL,           -- variant code
  PD39_PROGPADRE       DECIMAL(10,0) NULL,      -- first proposal of the size group, 0 when none
  PD39_UM1             CHAR(3) NULL,            -- first unit of measure
  PD39_QTA1            DECIMAL(14,3) NULL,      -- quantity, first unit
  PD39_UM2             CHAR(3) NULL,            -- second unit of measure
  PD39_QTA2            DECIMAL(14,3) NULL,      -- quantity, second unit
  PD39_DATAFABB        DATETIME NULL,           -- date the quantity is needed
  PD39_DATAINILAV      DATETIME NULL,           -- date work or purchasing must start
  PD39_CODFORNREP      CHAR(8) NULL,            -- supplier number or department code that will make or supply it
  PD39_NOTE            VARCHAR(255) NULL,       -- planner notes
  PD39_FLGPRO3         DECIMAL(1,0) NULL,       -- 1 = proposal firmed by the planner
  PD39_CODLINEA_PD01   CHAR(5) NULL,            -- production line
  PD39_PRIORITA        DECIMAL(2,0) NULL,       -- priority
  PD39_CODDEP          CHAR(2) NULL,            -- receiving depot
  PD39_CODFASE_PD12    DECIMAL(5,0) NULL,       -- phase to subcontract
  PD39_CODPROG         CHAR(25) NULL,           -- project
  PD39_SOTPROG         DECIMAL(4,0) NULL,       -- sub-project
  PD39_CODNODO_PD0C    CHAR(25) NULL,           -- node of the project structure
  PD39_CODCOM          CHAR(25) NULL,           -- job
  PD39_SOTCOM          DECIMAL(4,0) NULL,       -- sub-job
  PD39_INDORIGFABB     DECIMAL(1,0) NULL,       -- origin of the requirement: 0 customer order, 1 stock below minimum, 2 forecast
  PD39_NUMREGORIG_CO99 CHAR(12) NULL,           -- customer order that raised the requirement
  PD39_PROGRIGAORIG    DECIMAL(6,0) NULL,       -- its row
  CONSTRAINT PK_PD39 PRIMARY KEY (PD39_DITTA_CG18, PD39_NUMPRO_PD31)
)
