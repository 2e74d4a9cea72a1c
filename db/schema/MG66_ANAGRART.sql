-- Article master: finished garments, semi-finished parts, fabrics and
-- trims. The descriptions are in MG87_ARTDESC (empty option and empty
-- language = the article's own description).
CREATE TABLE MG66_ANAGRART (
  MG66_DITTA_CG18    DECIMAL(5,0) NOT NULL,  -- company
  MG66_CODART        CHAR(25) NOT NULL,      -- article code
  MG66_UM1           CHAR(3) NULL,           -- first unit of measure (PZ pieces, MT metres)
  MG66_UM2           CHAR(3) NULL,           -- second unit of measure (KG), NULL when none
  MG66_COEFFUM2      DECIMAL(14,5) NULL,     -- second-unit quantity per first-unit quantity
  MG66_INDDECQTA     DECIMAL(1,0) NULL,      -- decimals of the quantities of this article
  MG66_FAM_MG53      CHAR(4) NULL,           -- family
  MG66_SFAM_MG54     CHAR(4) NULL,           -- sub-family
  MG66_GRUPPO_MG55   CHAR(4) NULL,           -- group
  MG66_SGRUPPO_MG56  CHAR(4) NULL,           -- sub-group
  MG66_GRUSTAT1_MG74 CHAR(4) NULL,           -- statistical group 1: season
  MG66_GRUSTAT2_MG75 CHAR(4) NULL,           -- statistical group 2: line
  MG66_GRUSTAT3_MG76 CHAR(4) NULL,           -- statistical group 3: target
  MG66_GRUSTAT4_MG77 CHAR(4) NULL,           -- statistical group 4: price band
  MG66_INDSTATO_MG6W DECIMAL(2,0) NULL,      -- life-cycle state
  MG66_FLGGESTVAR    DECIMAL(1,0) NULL,      -- 1 = managed in variants (see MG6B_GESVARART)
  MG66_COSTOSTD      DECIMAL(16,5) NULL,     -- standard cost per first-unit quantity
  MG66_DATAINS       DATETIME NULL,          -- date the article was created
  CONSTRAINT PK_MG66 PRIMARY KEY (MG66_DITTA_CG18, MG66_CODART)
)
