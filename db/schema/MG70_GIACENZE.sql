-- Stock of each article variant in each depot. Available stock is the
-- current stock plus what is on order (open production orders) less what is
-- committed (components still to be issued to production):
-- MG70_QDISPONIB = MG70_QGIACATT + MG70_QORDINATA - MG70_QIMPEGNATA.
CREATE TABLE MG70_GIACENZE (
  MG70_DITTA_CG18   DECIMAL(5,0) NOT NULL,  -- company
  MG70_CODART_MG66  CHAR(25) NOT NULL,      -- article
  MG70_OPZIONE_MG5E CHAR(20) NOT NULL,      -- variant code ('' for an article without variants)
  MG70_CODDEP_MG58  CHAR(2) NOT NULL,       -- depot
  MG70_QGIACATT     DECIMAL(14,3) NULL,     -- current book stock
  MG70_QGIACEFF     DECIMAL(14,3) NULL,     -- physical stock counted in the depot
  MG70_QIMPEGNATA   DECIMAL(14,3) NULL,     -- committed to production orders, not yet issued
  MG70_QORDINATA    DECIMAL(14,3) NULL,     -- on order (open production-order quantity)
  MG70_QDISPONIB    DECIMAL(14,3) NULL,     -- available
  CONSTRAINT PK_MG70 PRIMARY KEY (MG70_DITTA_CG18, MG70_CODART_MG66, MG70_OPZIONE_MG5E, MG70_CODDEP_MG58)
)
