-- Components of production-order rows (materials committed): what a size
-- row needs of each fabric and trim, issued to the phase that uses it.
-- PD96_QTAIMPEGNO is the quantity per piece times the row quantity, rounded
-- to the component's decimals.
CREATE TABLE PD96_IMPEGNI (
  PD96_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  PD96_NUMREG_CO99   CHAR(12) NOT NULL,      -- production order
  PD96_PROGRIGA_DO30 DECIMAL(6,0) NOT NULL,  -- row
  PD96_PROGIMP       DECIMAL(4,0) NOT NULL,  -- component number within the row
  PD96_CODFASE_PD12  DECIMAL(5,0) NULL,      -- phase the component is issued to
  PD96_CODART_MG66   CHAR(25) NULL,          -- component article
  PD96_OPZIONE_MG5E  CHAR(20) NULL,          -- component variant
  PD96_UM1           CHAR(3) NULL,           -- unit of measure
  PD96_QTAUNITARIA   DECIMAL(14,5) NULL,     -- quantity per piece
  PD96_QTAIMPEGNO    DECIMAL(14,3) NULL,     -- committed, first unit
  PD96_QTA2IMPEGNO   DECIMAL(14,3) NULL,     -- committed, second unit
  PD96_QTAPRELEVATA  DECIMAL(14,3) NULL,     -- issued so far, first unit
  PD96_QTA2PRELEVATA DECIMAL(14,3) NULL,     -- issued so far, second unit
  PD96_CODDEP_MG58   CHAR(2) NULL,           -- depot the component is issued from
  PD96_FLGSALDO      DECIMAL(1,0) NULL,      -- 1 = fully issued
  CONSTRAINT PK_PD96 PRIMARY KEY (PD96_DITTA_CG18, PD96_NUMREG_CO99, PD96_PROGRIGA_DO30, PD96_PROGIMP)
)
