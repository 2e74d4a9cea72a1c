-- Commercial classification of customers and suppliers: geographic area
-- and zone, category and free groupings used by reports and by the
-- planning grid.
CREATE TABLE MG19_CLASSCLIFOR (
  MG19_DITTA_CG18  DECIMAL(5,0) NOT NULL,  -- company
  MG19_TIPOCF_CG44 CHAR(1) NOT NULL,       -- 'C' customer, 'F' supplier
  MG19_CLIFOR_CG44 DECIMAL(8,0) NOT NULL,  -- customer or supplier number
  MG19_MACROAREA   CHAR(4) NULL,           -- macro area (ITA, EST)
  MG19_AREA        CHAR(4) NULL,           -- area
  MG19_ZONA        CHAR(4) NULL,           -- zone (province or country)
  MG19_MACROCAT    CHAR(4) NULL,           -- macro category (RET retail, WHO wholesale, COR corporate)
  MG19_CATEG       CHAR(4) NULL,           -- category
  MG19_SOTTOCAT    CHAR(4) NULL,           -- sub-category
  MG19_RAGGRCF1    CHAR(4) NULL,           -- grouping 1 (sales agent)
  MG19_RAGGRCF2    CHAR(4) NULL,           -- grouping 2
  MG19_RAGGCRF3    CHAR(4) NULL,           -- grouping 3
  CONSTRAINT PK_MG19 PRIMARY KEY (MG19_DITTA_CG18, MG19_TIPOCF_CG44, MG19_CLIFOR_CG44)
)
