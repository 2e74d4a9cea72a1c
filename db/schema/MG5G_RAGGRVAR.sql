-- Option groups of a dimension: the colour card of a fabric family, the
-- size run of a garment family. An article takes the options of one group
-- per dimension (MG6B_CODRAGGVAR_MG5G).
CREATE TABLE MG5G_RAGGRVAR (
  MG5G_DITTA_CG18     DECIMAL(5,0) NOT NULL,  -- company
  MG5G_CODICEVAR_MG5F CHAR(2) NOT NULL,       -- dimension
  MG5G_RAGGR          CHAR(10) NOT NULL,      -- group code
  MG5G_DESCR          VARCHAR(40) NULL,       -- description
  CONSTRAINT PK_MG5G PRIMARY KEY (MG5G_DITTA_CG18, MG5G_CODICEVAR_MG5F, MG5G_RAGGR)
)
