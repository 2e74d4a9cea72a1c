-- Proposal numbers: every proposal of the requirements planning run gets a
-- number here, with the run it came from.
CREATE TABLE PD31_NUMPROPOSTE (
  PD31_DITTA_CG18 DECIMAL(5,0) NOT NULL,   -- company
  PD31_NUMPRO     DECIMAL(10,0) NOT NULL,  -- proposal number
  PD31_DATAELAB   DATETIME NULL,           -- date of the planning run
  PD31_INDTIPOPRO DECIMAL(1,0) NULL,       -- 0 production, 1 purchase, 2 subcontract
  PD31_UTENTE     VARCHAR(20) NULL,        -- user who ran the planning
  CONSTRAINT PK_PD31 PRIMARY KEY (PD31_DITTA_CG18, PD31_NUMPRO)
)
