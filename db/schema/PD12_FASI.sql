-- Processing phases (cutting, sewing, embroidery, washing, pressing,
-- inspection). An internal phase runs in a department on a machine; an
-- external one is sent to a subcontractor. The standard time is in hours per
-- piece.
CREATE TABLE PD12_FASI (
  PD12_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  PD12_CODFASE       DECIMAL(5,0) NOT NULL,  -- phase code
  PD12_DESCR         VARCHAR(60) NULL,       -- description
  PD12_INDFASEINTEST DECIMAL(1,0) NULL,      -- 0 internal, 1 external (subcontracted)
  PD12_CODREP_PD07   CHAR(5) NULL,           -- department of an internal phase
  PD12_MACCHINA_PD08 CHAR(10) NULL,          -- usual machine of an internal phase
  PD12_TIPOCF_CG44   CHAR(1) NULL,           -- 'F' for the usual subcontractor
  PD12_CLIFOR_CG44   DECIMAL(8,0) NULL,      -- usual subcontractor of an external phase
  PD12_TEMPOSTD      DECIMAL(9,4) NULL,      -- standard time, hours per piece
  CONSTRAINT PK_PD12 PRIMARY KEY (PD12_DITTA_CG18, PD12_CODFASE)
)
