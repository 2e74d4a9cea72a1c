-- Production data of a production-order header: priority, launch date and
-- the line that makes it.
CREATE TABLE DO18_DOCTESTAPROD (
  DO18_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  DO18_NUMREG_CO99   CHAR(12) NOT NULL,      -- production order
  DO18_PRIORITA      DECIMAL(2,0) NULL,      -- priority, 1 = most urgent
  DO18_DATALANCIO    DATETIME NULL,          -- launch date (NULL while not launched)
  DO18_CODLINEA_PD01 CHAR(5) NULL,           -- production line
  CONSTRAINT PK_DO18 PRIMARY KEY (DO18_DITTA_CG18, DO18_NUMREG_CO99)
)
