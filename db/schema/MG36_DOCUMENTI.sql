-- Document types. Each type belongs to a document kind (MG36_TIPODOC) and
-- sub-kind (MG36_STIPODOC); the kinds copied into DO11_DOCTESTATA tell
-- customer orders, production orders, subcontract orders, picking lists and
-- delivery notes apart.
CREATE TABLE MG36_DOCUMENTI (
  MG36_DITTA_CG18 DECIMAL(5,0) NOT NULL,  -- company
  MG36_DOCUM      CHAR(3) NOT NULL,       -- document type code
  MG36_DESCR      VARCHAR(40) NULL,       -- description
  MG36_TIPODOC    DECIMAL(3,0) NULL,      -- document kind
  MG36_STIPODOC   DECIMAL(3,0) NULL,      -- document sub-kind
  CONSTRAINT PK_MG36 PRIMARY KEY (MG36_DITTA_CG18, MG36_DOCUM)
)
