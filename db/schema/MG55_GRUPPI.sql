-- Article groups within a sub-family.
CREATE TABLE MG55_GRUPPI (
  MG55_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG55_FAM_MG53   CHAR(4) NOT NULL,       -- family
  MG55_SFAM_MG54  CHAR(4) NOT NULL,       -- sub-family
  MG55_GRUPPO     CHAR(4) NOT NULL,       -- group code
  MG55_DESCR      VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG55 PRIMARY KEY (MG55_DITTA_CG18, MG55_FAM_MG53, MG55_SFAM_MG54, MG55_GRUPPO)
)
