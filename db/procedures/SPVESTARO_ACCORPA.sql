-- SPVESTARO_ACCORPA: the merged view of production-order rows and their
-- phases.
--
-- The caller has filled, in its session:
--   #TabellaOrdini      the order rows to merge (the host's columns plus the
--                       work columns every order work table carries);
--   #TabellaFasi        their phases (the host's, or read from
--                       DO46_DOCCORORDDET);
--   #TabellaOrdiniDesti an empty copy of #TabellaOrdini plus KEY_ACCORP and
--                       FLG_ACCORPATA;
--   #TabellaFasiDesti   an empty copy of #TabellaFasi (only when
--                       @IsRecordsetFasi = 1).
-- The procedure fills the two destination tables and returns, in order:
--   1. the origin rows, in @StrOrdinamento order;
--   2. the merged rows, in the order of their first origin row;
--   3. the links, one per origin row: ORIG_NUMREG, ORIG_PROGRIGA,
--      ORIG_CODFASE, ORIG_PROGSFASE (the origin row), DESTI_NUMREG,
--      DESTI_PROGRIGA, DESTI_CODFASE, DESTI_PROGSFASE (its merged row) and
--      KEY_ACCORP, grouped by merged row and in origin order within it
--      (the order in which a split-back covers the origin rows);
--   and, when @IsRecordsetFasi = 1,
--   4. the origin phases, in @StrOrdinamentoFasi order;
--   5. the merged phases.
--
-- Merge key (KEY_ACCORP, its parts joined by "|"):
--   - always the company and the article (DO30_CODART_MG66);
--   - the variant DO30_OPZIONE_MG5E by @Key_Variante: 0 not at all, 1 the
--     whole code, 2 only the dimensions whose "@Key_" + dimension code
--     parameter (@Key_A0 .. @Key_B9) is 1. A variant code is 20 characters,
--     one option per dimension of MG5F_DIMECONF in MG5F_CODICEVAR order: a
--     dimension starts at 1 plus the MG5F_SIZE of the dimensions with a
--     lower code and takes MG5F_SIZE characters. The positions of the other
--     dimensions are blanked;
--   - @Key_ProgRiga: the order row itself (DO11_NUMREG_CO99, DO30_PROGRIGA);
--   - @Key_ProgRigaPadre: the parent row (DO11_NUMREG_CO99, DO30_PROGPADRE);
--   - @Key_Deposito: DO30_CODDEP_MG58; @Key_Datacons: the day of
--     DO31_DATACONS; @Key_Progetto: DO41_CODPROGETTO; @Key_SProgetto:
--     DO41_CODSPROGETTO; @Key_Commessa: DO41_CODCOMMESSA; @Key_SCommessa:
--     DO41_CODSCOMMESSA;
--   - @Key_FaseOrd: the phase the order row stands for (DO46_CODFASE,
--     DO46_PROGSFASE), for order rows given one per phase; missing phase
--     keys of the order rows are then set to 0;
--   - @Key_FaseRiga: the row's phase DO30_CODFASE_PD12;
--   - @Key_Fasi: the working cycle: rows merge only when their phases in
--     #TabellaFasi (phase code and sub-phase) are the same set; rows
--     without phases share one cycle.
-- Text parts are compared without trailing blanks; a Null part counts as
-- blank.
--
-- Merged order rows: every column comes from the first origin row of the
-- merged row in @StrOrdinamento order, except
--   - the sums over the origin rows of the quantities DO30_QTA1,
--     DO31_QTA1CONS, SALDO, DO31_QTA1TRASFDDTCL, QTAORD, QTATRASF, QTA2ORD,
--     QTA2TRASF, QTADATRASF, QTA2DATRASF, DO31_QTA2CONS, QTA2DACONS,
--     WKQTA1ORD, WKQTA2ORD (a Null counts as 0) and of the progress
--     quantities QTACONSFASEPREC, QTA2CONSFASEPREC, QTACONSFASEPREC_REALE, QTA2CONSFASEPREC_REALE,
--     DO30_QTA1ORIG, QTA1_SULISTA, QTA1_SULISTA_ORIG, QTA1_SULISTATRASF,
--     QTA1_AVANZATAFASEDIVERSAINTERNA, QTA2_AVANZATAFASEDIVERSAINTERNA, QTA1_INVIATAFASEDIVERSATERZISTA, QTA2_INVIATAFASEDIVERSATERZISTA,
--     PD96_QTAIMPEGNO, PD96_QTA2IMPEGNO, ODP_DO57_QTA1CONSOLID_LISTAP, ODP_DO46_QTA1ORD, QTA1_TEORICA, QTA1_RESIDUA
--     (Null when all are Null), and, when the host's rows carry them, of
--     DO30_QTA2 and QTA2CONS (the second-unit quantities the picking-list
--     and order-generation callers split on; a Null counts as 0). Stock,
--     excess and parent quantities are the first row's. For the delivery-note generations from orders
--     (@PgmChiamante 5 and 6) QTADATRASF and QTA2DATRASF sum only the
--     selected rows (SELEZ not 0) and SELEZ is that of a selected row, or 0;
--   - DO11_NUMREG_CO99 = DESTI_NUMREG, the first row's register number;
--   - DO30_PROGRIGA = DESTI_PROGRIGA: with @MantieniProgriga not 0 the first
--     row's row number, otherwise the merged rows are numbered 1, 2, ... in
--     the order of their first rows;
--   - DO30_PROGPADRE: 0 when @InitProgpadre is not 0 (a merged row has no
--     parent), otherwise the first row's;
--   - DO30_OPZIONE_MG5E: the variant as far as it is in the key (blank when
--     the variant is not in the key);
--   - DO46_CODFASE, DO46_PROGSFASE: the first row's, 0 when missing;
--   - KEY_ACCORP: the merge key; FLG_ACCORPATA: 1 when the merged row has
--     more than one origin row, else 0.
--
-- Merged phases (@IsRecordsetFasi = 1): an origin phase belongs to the
-- merged row of the first origin row with its DO46_NUMREG_CO99 and
-- DO46_PROGRIGA (and, with @Key_FaseOrd, its phase and sub-phase); the
-- phases of one merged row with the same DO46_CODFASE and DO46_PROGSFASE
-- become one merged phase keyed DO46_NUMREG_CO99 = DESTI_NUMREG,
-- DO46_PROGRIGA = DESTI_PROGRIGA, DO30_PROGPADRE as the merged row. Its
-- other columns are those of its first origin phase in @StrOrdinamentoFasi
-- order, except the sums of DO46_QTA1ORD, DO46_QTA2ORD, DO46_QTADAAVANZ,
-- DO46_QTA2DAAVANZ, DO46_QTADASCART, DO46_QTA2DASCART, DO46_QTA1CONSOLIDFP,
-- SALDO, CONSEGNATO (Null when 0), of DO46_QTA1CONSOLID, DO46_QTA2CONSOLID,
-- DO46_QTA1SCARTO, DO46_QTA2SCARTO (0 stays 0), and of
-- QTAINVTERZISTA, QTA2INVTERZISTA, DO46_QTAPINVTERZ, DO46_QTA2PINVTERZ, FASE_QTATRASF,
-- FASE_QTADATRASF, FASE_QTACONSFASEPREC, FASE_QTA2TRASF, FASE_QTA2DATRASF, FASE_QTA2CONSFASEPREC.
-- Missing phase and sub-phase keys of the host's phases are set to 0, as
-- they are merged. Recalculating a merged row right after the merge gives
-- the same sums.
--
-- Ordering texts are lists of columns of the work tables, with or without a
-- leading ORDER BY; when empty the rows come by register number, row, phase
-- and sub-phase. Origin rows are identified by DO11_NUMREG_CO99,
-- DO30_PROGRIGA, DO46_CODFASE and DO46_PROGSFASE, phases by
-- DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_CODFASE and DO46_PROGSFASE: each
-- must be unique in its work table, as the split-back finds rows by them.
--
-- Everything is set-based. Statements that read columns the phase work
-- table has only when it came from the host, or that need a caller's
-- ordering text, run as dynamic SQL.
CREATE PROCEDURE SPVESTARO_ACCORPA
  @CodiceDitta        DECIMAL(18,0) = 0,
  @PgmChiamante       INT = 0,
  @IsRecordsetFasi    SMALLINT = 0,
  @StrOrdinamento     VARCHAR(4000) = '',
  @StrOrdinamentoFasi VARCHAR(4000) = '',
  @Key_ProgRiga       SMALLINT = 0,
  @Key_ProgRigaPadre  SMALLINT = 0,
  @Key_Fasi           SMALLINT = 0,
  @Key_Deposito       SMALLINT = 0,
  @Key_Datacons       SMALLINT = 0,
  @Key_Progetto       SMALLINT = 0,
  @Key_SProgetto      SMALLINT = 0,
  @Key_Commessa       SMALLINT = 0,
  @Key_SCommessa      SMALLINT = 0,
  @Key_FaseOrd        SMALLINT = 0,
  @Key_Variante       INT = 0,
  @InitProgpadre      SMALLINT = 1,
  @MantieniProgriga   SMALLINT = 0,
  @Key_FaseRiga       SMALLINT = 0,
  @Key_A0 SMALLINT = 0,
  @Key_A1 SMALLINT = 0,
  @Key_A2 SMALLINT = 0,
  @Key_A3 SMALLINT = 0,
  @Key_A4 SMALLINT = 0,
  @Key_A5 SMALLINT = 0,
  @Key_A6 SMALLINT = 0,
  @Key_A7 SMALLINT = 0,
  @Key_A8 SMALLINT = 0,
  @Key_A9 SMALLINT = 0,
  @Key_B0 SMALLINT = 0,
  @Key_B1 SMALLINT = 0,
  @Key_B2 SMALLINT = 0,
  @Key_B3 SMALLINT = 0,
  @Key_B4 SMALLINT = 0,
  @Key_B5 SMALLINT = 0,
  @Key_B6 SMALLINT = 0,
  @Key_B7 SMALLINT = 0,
  @Key_B8 SMALLINT = 0,
  @Key_B9 SMALLINT = 0
AS
BEGIN
  SET NOCOUNT ON

  DECLARE @Ord VARCHAR(4000)
  DECLARE @OrdFasi VARCHAR(4000)
  DECLARE @Sql VARCHAR(8000)
  DECLARE @Somme VARCHAR(400)
  DECLARE @Assegna VARCHAR(400)

  -- Ordering texts without their ORDER BY; the keys when none is given.
  SET @Ord = LTRIM(RTRIM(ISNULL(@StrOrdinamento, '')))
  IF LEFT(@Ord, 8) = 'ORDER BY' SET @Ord = LTRIM(SUBSTRING(@Ord, 9, 4000))
  IF @Ord = '' SET @Ord = 'DO11_NUMREG_CO99, DO30_PROGRIGA, DO46_CODFASE, DO46_PROGSFASE'
  SET @OrdFasi = LTRIM(RTRIM(ISNULL(@StrOrdinamentoFasi, '')))
  IF LEFT(@OrdFasi, 8) = 'ORDER BY' SET @OrdFasi = LTRIM(SUBSTRING(@OrdFasi, 9, 4000))
  IF @OrdFasi = '' SET @OrdFasi = 'DO46_NUMREG_CO99, DO46_PROGRIGA, DO46_CODFASE, DO46_PROGSFASE'

  IF @Key_FaseOrd = 1
    UPDATE #TabellaOrdini
    SET DO46_CODFASE = ISNULL(DO46_CODFASE, 0),
        DO46_PROGSFASE = ISNULL(DO46_PROGSFASE, 0)
    WHERE DO46_CODFASE IS NULL OR DO46_PROGSFASE IS NULL

  -- The host's phases are found again by their keys (the split-back filters
  -- the origin phases of a merged phase on its phase and sub-phase), so a
  -- missing phase or sub-phase is set to the 0 it is merged as.
  IF @IsRecordsetFasi = 1
    EXEC ('UPDATE #TabellaFasi '
        + 'SET DO46_CODFASE = ISNULL(DO46_CODFASE, 0), DO46_PROGSFASE = ISNULL(DO46_PROGSFASE, 0) '
        + 'WHERE DO46_CODFASE IS NULL OR DO46_PROGSFASE IS NULL')

  -- The origin rows, numbered in their order, with the parts of their key.
  CREATE TABLE #VstOrig (
    RIGA        INT NOT NULL,
    NUMREG      VARCHAR(50) COLLATE DATABASE_DEFAULT NULL,
    PROGRIGA    DECIMAL(10,0) NULL,
    CODFASE     DECIMAL(10,0) NULL,
    PROGSFASE   DECIMAL(10,0) NULL,
    PROGPADRE   DECIMAL(10,0) NULL,
    ARTICOLO    VARCHAR(50) COLLATE DATABASE_DEFAULT NULL,
    OPZIONE     CHAR(20) COLLATE DATABASE_DEFAULT NULL,
    OPZ_KEY     CHAR(20) COLLATE DATABASE_DEFAULT NULL,
    DEPOSITO    VARCHAR(20) COLLATE DATABASE_DEFAULT NULL,
    DATACONS    VARCHAR(8) COLLATE DATABASE_DEFAULT NULL,
    PROGETTO    VARCHAR(50) COLLATE DATABASE_DEFAULT NULL,
    SPROGETTO   VARCHAR(20) COLLATE DATABASE_DEFAULT NULL,
    COMMESSA    VARCHAR(50) COLLATE DATABASE_DEFAULT NULL,
    SCOMMESSA   VARCHAR(20) COLLATE DATABASE_DEFAULT NULL,
    FASERIGA    VARCHAR(20) COLLATE DATABASE_DEFAULT NULL,
    CICLO       INT NULL,
    KEY_ACCORP  VARCHAR(8000) COLLATE DATABASE_DEFAULT NULL,
    GRUPPO      INT NULL)

  SET @Sql = 'INSERT INTO #VstOrig (RIGA, NUMREG, PROGRIGA, CODFASE, PROGSFASE, PROGPADRE, '
           + 'ARTICOLO, OPZIONE, DEPOSITO, DATACONS, PROGETTO, SPROGETTO, COMMESSA, SCOMMESSA, '
           + 'FASERIGA) '
           + 'SELECT ROW_NUMBER() OVER (ORDER BY ' + @Ord + '), '
           + 'DO11_NUMREG_CO99, DO30_PROGRIGA, ISNULL(DO46_CODFASE, 0), ISNULL(DO46_PROGSFASE, 0), '
           + 'DO30_PROGPADRE, '
           + 'ISNULL(RTRIM(DO30_CODART_MG66), ''''), '
           + 'LEFT(ISNULL(DO30_OPZIONE_MG5E, '''') + REPLICATE('' '', 20), 20), '
           + 'ISNULL(RTRIM(DO30_CODDEP_MG58), ''''), '
           + 'ISNULL(CONVERT(VARCHAR(8), DO31_DATACONS, 112), ''''), '
           + 'ISNULL(RTRIM(DO41_CODPROGETTO), ''''), '
           + 'ISNULL(CONVERT(VARCHAR(20), DO41_CODSPROGETTO), ''''), '
           + 'ISNULL(RTRIM(DO41_CODCOMMESSA), ''''), '
           + 'ISNULL(CONVERT(VARCHAR(20), DO41_CODSCOMMESSA), ''''), '
           + 'ISNULL(CONVERT(VARCHAR(20), DO30_CODFASE_PD12), '''') '
           + 'FROM #TabellaOrdini'
  EXEC (@Sql)

  -- The variant as the key sees it.
  IF @Key_Variante = 1
    UPDATE #VstOrig SET OPZ_KEY = OPZIONE
  ELSE IF @Key_Variante = 2
  BEGIN
    -- Where each dimension lies in the variant code, and whether it is kept.
    SELECT D.MG5F_CODICEVAR AS CODICEVAR,
           1 + ISNULL((SELECT SUM(P.MG5F_SIZE)
                       FROM MG5F_DIMECONF AS P WITH (NOLOCK)
                       WHERE P.MG5F_DITTA_CG18 = D.MG5F_DITTA_CG18 AND
                             P.MG5F_CODICEVAR < D.MG5F_CODICEVAR), 0) AS INIZIO,
           ISNULL(D.MG5F_SIZE, 0) AS AMPIEZZA,
           CASE RTRIM(D.MG5F_CODICEVAR)
         WHEN 'A0' THEN @Key_A0
         WHEN 'A1' THEN @Key_A1
         WHEN 'A2' THEN @Key_A2
         WHEN 'A3' THEN @Key_A3
         WHEN 'A4' THEN @Key_A4
         WHEN 'A5' THEN @Key_A5
         WHEN 'A6' THEN @Key_A6
         WHEN 'A7' THEN @Key_A7
         WHEN 'A8' THEN @Key_A8
         WHEN 'A9' THEN @Key_A9
         WHEN 'B0' THEN @Key_B0
         WHEN 'B1' THEN @Key_B1
         WHEN 'B2' THEN @Key_B2
         WHEN 'B3' THEN @Key_B3
         WHEN 'B4' THEN @Key_B4
         WHEN 'B5' THEN @Key_B5
         WHEN 'B6' THEN @Key_B6
         WHEN 'B7' THEN @Key_B7
         WHEN 'B8' THEN @Key_B8
         WHEN 'B9' THEN @Key_B9
         ELSE 0 END AS TIENI
    INTO #VstDim
    FROM MG5F_DIMECONF AS D WITH (NOLOCK)
    WHERE D.MG5F_DITTA_CG18 = @CodiceDitta

    -- One flag per position of the variant code: 1 where a kept dimension lies.
    SELECT ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 1 AND INIZIO + AMPIEZZA > 1 THEN 1 ELSE 0 END), 0) AS P01,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 2 AND INIZIO + AMPIEZZA > 2 THEN 1 ELSE 0 END), 0) AS P02,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 3 AND INIZIO + AMPIEZZA > 3 THEN 1 ELSE 0 END), 0) AS P03,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 4 AND INIZIO + AMPIEZZA > 4 THEN 1 ELSE 0 END), 0) AS P04,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 5 AND INIZIO + AMPIEZZA > 5 THEN 1 ELSE 0 END), 0) AS P05,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 6 AND INIZIO + AMPIEZZA > 6 THEN 1 ELSE 0 END), 0) AS P06,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 7 AND INIZIO + AMPIEZZA > 7 THEN 1 ELSE 0 END), 0) AS P07,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 8 AND INIZIO + AMPIEZZA > 8 THEN 1 ELSE 0 END), 0) AS P08,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 9 AND INIZIO + AMPIEZZA > 9 THEN 1 ELSE 0 END), 0) AS P09,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 10 AND INIZIO + AMPIEZZA > 10 THEN 1 ELSE 0 END), 0) AS P10,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 11 AND INIZIO + AMPIEZZA > 11 THEN 1 ELSE 0 END), 0) AS P11,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 12 AND INIZIO + AMPIEZZA > 12 THEN 1 ELSE 0 END), 0) AS P12,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 13 AND INIZIO + AMPIEZZA > 13 THEN 1 ELSE 0 END), 0) AS P13,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 14 AND INIZIO + AMPIEZZA > 14 THEN 1 ELSE 0 END), 0) AS P14,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 15 AND INIZIO + AMPIEZZA > 15 THEN 1 ELSE 0 END), 0) AS P15,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 16 AND INIZIO + AMPIEZZA > 16 THEN 1 ELSE 0 END), 0) AS P16,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 17 AND INIZIO + AMPIEZZA > 17 THEN 1 ELSE 0 END), 0) AS P17,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 18 AND INIZIO + AMPIEZZA > 18 THEN 1 ELSE 0 END), 0) AS P18,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 19 AND INIZIO + AMPIEZZA > 19 THEN 1 ELSE 0 END), 0) AS P19,
       ISNULL(MAX(CASE WHEN TIENI = 1 AND INIZIO <= 20 AND INIZIO + AMPIEZZA > 20 THEN 1 ELSE 0 END), 0) AS P20
    INTO #VstMaschera
    FROM #VstDim

    -- Each distinct variant is masked once; every row then takes its key.
    SELECT DISTINCT OPZIONE, CONVERT(CHAR(20), NULL) AS OPZ_KEY
    INTO #VstVarianti
    FROM #VstOrig

    UPDATE V
    SET OPZ_KEY = SUBSTRING(V.OPZIONE, 1, M.P01) + REPLICATE(' ', 1 - M.P01)
         + SUBSTRING(V.OPZIONE, 2, M.P02) + REPLICATE(' ', 1 - M.P02)
         + SUBSTRING(V.OPZIONE, 3, M.P03) + REPLICATE(' ', 1 - M.P03)
         + SUBSTRING(V.OPZIONE, 4, M.P04) + REPLICATE(' ', 1 - M.P04)
         + SUBSTRING(V.OPZIONE, 5, M.P05) + REPLICATE(' ', 1 - M.P05)
         + SUBSTRING(V.OPZIONE, 6, M.P06) + REPLICATE(' ', 1 - M.P06)
         + SUBSTRING(V.OPZIONE, 7, M.P07) + REPLICATE(' ', 1 - M.P07)
         + SUBSTRING(V.OPZIONE, 8, M.P08) + REPLICATE(' ', 1 - M.P08)
         + SUBSTRING(V.OPZIONE, 9, M.P09) + REPLICATE(' ', 1 - M.P09)
         + SUBSTRING(V.OPZIONE, 10, M.P10) + REPLICATE(' ', 1 - M.P10)
         + SUBSTRING(V.OPZIONE, 11, M.P11) + REPLICATE(' ', 1 - M.P11)
         + SUBSTRING(V.OPZIONE, 12, M.P12) + REPLICATE(' ', 1 - M.P12)
         + SUBSTRING(V.OPZIONE, 13, M.P13) + REPLICATE(' ', 1 - M.P13)
         + SUBSTRING(V.OPZIONE, 14, M.P14) + REPLICATE(' ', 1 - M.P14)
         + SUBSTRING(V.OPZIONE, 15, M.P15) + REPLICATE(' ', 1 - M.P15)
         + SUBSTRING(V.OPZIONE, 16, M.P16) + REPLICATE(' ', 1 - M.P16)
         + SUBSTRING(V.OPZIONE, 17, M.P17) + REPLICATE(' ', 1 - M.P17)
         + SUBSTRING(V.OPZIONE, 18, M.P18) + REPLICATE(' ', 1 - M.P18)
         + SUBSTRING(V.OPZIONE, 19, M.P19) + REPLICATE(' ', 1 - M.P19)
         + SUBSTRING(V.OPZIONE, 20, M.P20) + REPLICATE(' ', 1 - M.P20)
    FROM #VstVarianti AS V
    CROSS JOIN #VstMaschera AS M

    UPDATE O
    SET OPZ_KEY = V.OPZ_KEY
    FROM #VstOrig AS O
    INNER JOIN #VstVarianti AS V ON V.OPZIONE = O.OPZIONE
  END
  ELSE
    UPDATE #VstOrig SET OPZ_KEY = REPLICATE(' ', 20)

  UPDATE #VstOrig
  SET KEY_ACCORP = CONVERT(VARCHAR(20), @CodiceDitta)
      + '|' + ARTICOLO
      + '|' + RTRIM(OPZ_KEY)
      + '|' + CASE WHEN @Key_ProgRiga = 1
                 THEN ISNULL(RTRIM(NUMREG), '') + '/' + ISNULL(CONVERT(VARCHAR(20), PROGRIGA), '')
                 ELSE '' END
      + '|' + CASE WHEN @Key_ProgRigaPadre = 1
                 THEN ISNULL(RTRIM(NUMREG), '') + '/' + ISNULL(CONVERT(VARCHAR(20), PROGPADRE), '')
                 ELSE '' END
      + '|' + CASE WHEN @Key_Deposito = 1 THEN DEPOSITO ELSE '' END
      + '|' + CASE WHEN @Key_Datacons = 1 THEN DATACONS ELSE '' END
      + '|' + CASE WHEN @Key_Progetto = 1 THEN PROGETTO ELSE '' END
      + '|' + CASE WHEN @Key_SProgetto = 1 THEN SPROGETTO ELSE '' END
      + '|' + CASE WHEN @Key_Commessa = 1 THEN COMMESSA ELSE '' END
      + '|' + CASE WHEN @Key_SCommessa = 1 THEN SCOMMESSA ELSE '' END
      + '|' + CASE WHEN @Key_FaseOrd = 1
                 THEN CONVERT(VARCHAR(20), CODFASE) + '/' + CONVERT(VARCHAR(20), PROGSFASE)
                 ELSE '' END
      + '|' + CASE WHEN @Key_FaseRiga = 1 THEN FASERIGA ELSE '' END

  -- The working cycle: two rows that already share the rest of the key have
  -- the same cycle when the phases they have in common are all the phases
  -- of each. A cycle is named after its first row.
  IF @Key_Fasi = 1 AND OBJECT_ID('tempdb..#TabellaFasi') IS NOT NULL
  BEGIN
    SELECT O.RIGA, ISNULL(F.DO46_CODFASE, 0) AS CODFASE, ISNULL(F.DO46_PROGSFASE, 0) AS PROGSFASE
    INTO #VstCiclo
    FROM #VstOrig AS O
    INNER JOIN #TabellaFasi AS F
      ON F.DO46_NUMREG_CO99 = O.NUMREG AND F.DO46_PROGRIGA = O.PROGRIGA
    GROUP BY O.RIGA, ISNULL(F.DO46_CODFASE, 0), ISNULL(F.DO46_PROGSFASE, 0)

    SELECT RIGA, COUNT(*) AS FASI
    INTO #VstCicloFasi
    FROM #VstCiclo
    GROUP BY RIGA

    SELECT A.RIGA, B.RIGA AS ALTRA, COUNT(*) AS COMUNI
    INTO #VstCicloCoppie
    FROM #VstCiclo AS A
    INNER JOIN #VstCiclo AS B
      ON B.CODFASE = A.CODFASE AND B.PROGSFASE = A.PROGSFASE AND B.RIGA <= A.RIGA
    INNER JOIN #VstOrig AS OA ON OA.RIGA = A.RIGA
    INNER JOIN #VstOrig AS OB ON OB.RIGA = B.RIGA AND OB.KEY_ACCORP = OA.KEY_ACCORP
    GROUP BY A.RIGA, B.RIGA

    SELECT C.RIGA, MIN(C.ALTRA) AS CICLO
    INTO #VstCicloPrimo
    FROM #VstCicloCoppie AS C
    INNER JOIN #VstCicloFasi AS NA ON NA.RIGA = C.RIGA
    INNER JOIN #VstCicloFasi AS NB ON NB.RIGA = C.ALTRA
    WHERE C.COMUNI = NA.FASI AND C.COMUNI = NB.FASI
    GROUP BY C.RIGA

    UPDATE O
    SET CICLO = P.CICLO
    FROM #VstOrig AS O
    INNER JOIN #VstCicloPrimo AS P ON P.RIGA = O.RIGA

    UPDATE #VstOrig
    SET KEY_ACCORP = KEY_ACCORP + '|' + CONVERT(VARCHAR(20), ISNULL(CICLO, 0))
  END

  -- The merged rows, numbered in the order of their first origin rows.
  SELECT KEY_ACCORP, MIN(RIGA) AS PRIMA, COUNT(*) AS RIGHE
  INTO #VstChiavi
  FROM #VstOrig
  GROUP BY KEY_ACCORP

  SELECT ROW_NUMBER() OVER (ORDER BY C.PRIMA) AS ORDINE,
         C.KEY_ACCORP, C.PRIMA, C.RIGHE,
         O.NUMREG AS DESTI_NUMREG,
         O.PROGRIGA AS PRIMA_PROGRIGA,
         CONVERT(DECIMAL(10,0), NULL) AS DESTI_PROGRIGA,
         O.CODFASE AS DESTI_CODFASE,
         O.PROGSFASE AS DESTI_PROGSFASE,
         O.OPZ_KEY
  INTO #VstGruppi
  FROM #VstChiavi AS C
  INNER JOIN #VstOrig AS O ON O.RIGA = C.PRIMA

  UPDATE #VstGruppi
  SET DESTI_PROGRIGA = CASE WHEN @MantieniProgriga <> 0 THEN PRIMA_PROGRIGA ELSE ORDINE END

  UPDATE O
  SET GRUPPO = G.ORDINE
  FROM #VstOrig AS O
  INNER JOIN #VstGruppi AS G ON G.KEY_ACCORP = O.KEY_ACCORP

  -- The quantities of each merged row.
  SELECT O.GRUPPO,
       SUM(ISNULL(T.DO30_QTA1, 0)) AS DO30_QTA1,
       SUM(ISNULL(T.DO31_QTA1CONS, 0)) AS DO31_QTA1CONS,
       SUM(ISNULL(T.SALDO, 0)) AS SALDO,
       SUM(ISNULL(T.DO31_QTA1TRASFDDTCL, 0)) AS DO31_QTA1TRASFDDTCL,
       SUM(ISNULL(T.QTAORD, 0)) AS QTAORD,
       SUM(ISNULL(T.QTATRASF, 0)) AS QTATRASF,
       SUM(ISNULL(T.QTA2ORD, 0)) AS QTA2ORD,
       SUM(ISNULL(T.QTA2TRASF, 0)) AS QTA2TRASF,
       SUM(CASE WHEN @PgmChiamante NOT IN (5, 6) OR LTRIM(RTRIM(ISNULL(CONVERT(VARCHAR(20), T.SELEZ), ''))) NOT IN ('', '0')
                THEN ISNULL(T.QTADATRASF, 0) ELSE 0 END) AS QTADATRASF,
       SUM(CASE WHEN @PgmChiamante NOT IN (5, 6) OR LTRIM(RTRIM(ISNULL(CONVERT(VARCHAR(20), T.SELEZ), ''))) NOT IN ('', '0')
                THEN ISNULL(T.QTA2DATRASF, 0) ELSE 0 END) AS QTA2DATRASF,
       SUM(ISNULL(T.DO31_QTA2CONS, 0)) AS DO31_QTA2CONS,
       SUM(ISNULL(T.QTA2DACONS, 0)) AS QTA2DACONS,
       SUM(ISNULL(T.WKQTA1ORD, 0)) AS WKQTA1ORD,
       SUM(ISNULL(T.WKQTA2ORD, 0)) AS WKQTA2ORD,
       SUM(T.QTACONSFASEPREC) AS QTACONSFASEPREC,
       SUM(T.QTA2CONSFASEPREC) AS QTA2CONSFASEPREC,
       SUM(T.QTACONSFASEPREC_REALE) AS QTACONSFASEPREC_REALE,
       SUM(T.QTA2CONSFASEPREC_REALE) AS QTA2CONSFASEPREC_REALE,
       SUM(T.DO30_QTA1ORIG) AS DO30_QTA1ORIG,
       SUM(T.QTA1_SULISTA) AS QTA1_SULISTA,
       SUM(T.QTA1_SULISTA_ORIG) AS QTA1_SULISTA_ORIG,
       SUM(T.QTA1_SULISTATRASF) AS QTA1_SULISTATRASF,
       SUM(T.QTA1_AVANZATAFASEDIVERSAINTERNA) AS QTA1_AVANZATAFASEDIVERSAINTERNA,
       SUM(T.QTA2_AVANZATAFASEDIVERSAINTERNA) AS QTA2_AVANZATAFASEDIVERSAINTERNA,
       SUM(T.QTA1_INVIATAFASEDIVERSATERZISTA) AS QTA1_INVIATAFASEDIVERSATERZISTA,
       SUM(T.QTA2_INVIATAFASEDIVERSATERZISTA) AS QTA2_INVIATAFASEDIVERSATERZISTA,
       SUM(T.PD96_QTAIMPEGNO) AS PD96_QTAIMPEGNO,
       SUM(T.PD96_QTA2IMPEGNO) AS PD96_QTA2IMPEGNO,
       SUM(T.ODP_DO57_QTA1CONSOLID_LISTAP) AS ODP_DO57_QTA1CONSOLID_LISTAP,
       SUM(T.ODP_DO46_QTA1ORD) AS ODP_DO46_QTA1ORD,
       SUM(T.QTA1_TEORICA) AS QTA1_TEORICA,
       SUM(T.QTA1_RESIDUA) AS QTA1_RESIDUA,
       ISNULL(MAX(CASE WHEN LTRIM(RTRIM(ISNULL(CONVERT(VARCHAR(20), T.SELEZ), ''))) NOT IN ('', '0') THEN T.SELEZ END), 0) AS SELEZ
  INTO #VstSomme
  FROM #VstOrig AS O
  INNER JOIN #TabellaOrdini AS T
    ON T.DO11_NUMREG_CO99 = O.NUMREG AND
       T.DO30_PROGRIGA = O.PROGRIGA AND
       ISNULL(T.DO46_CODFASE, 0) = O.CODFASE AND
       ISNULL(T.DO46_PROGSFASE, 0) = O.PROGSFASE
  GROUP BY O.GRUPPO

  -- Each merged row starts as a copy of its first origin row.
  INSERT INTO #TabellaOrdiniDesti
  SELECT T.*, G.KEY_ACCORP, CASE WHEN G.RIGHE > 1 THEN 1 ELSE 0 END
  FROM #VstGruppi AS G
  INNER JOIN #VstOrig AS O ON O.RIGA = G.PRIMA
  INNER JOIN #TabellaOrdini AS T
    ON T.DO11_NUMREG_CO99 = O.NUMREG AND
       T.DO30_PROGRIGA = O.PROGRIGA AND
       ISNULL(T.DO46_CODFASE, 0) = O.CODFASE AND
       ISNULL(T.DO46_PROGSFASE, 0) = O.PROGSFASE

  UPDATE D
  SET DO11_NUMREG_CO99 = G.DESTI_NUMREG,
    DO30_PROGRIGA = G.DESTI_PROGRIGA,
    DO30_PROGPADRE = CASE WHEN @InitProgpadre <> 0 THEN 0 ELSE D.DO30_PROGPADRE END,
    DO30_OPZIONE_MG5E = G.OPZ_KEY,
    DO46_CODFASE = G.DESTI_CODFASE,
    DO46_PROGSFASE = G.DESTI_PROGSFASE,
    DO30_QTA1 = S.DO30_QTA1,
    DO31_QTA1CONS = S.DO31_QTA1CONS,
    SALDO = S.SALDO,
    DO31_QTA1TRASFDDTCL = S.DO31_QTA1TRASFDDTCL,
    QTAORD = S.QTAORD,
    QTATRASF = S.QTATRASF,
    QTA2ORD = S.QTA2ORD,
    QTA2TRASF = S.QTA2TRASF,
    DO31_QTA2CONS = S.DO31_QTA2CONS,
    QTA2DACONS = S.QTA2DACONS,
    WKQTA1ORD = S.WKQTA1ORD,
    WKQTA2ORD = S.WKQTA2ORD,
    QTACONSFASEPREC = S.QTACONSFASEPREC,
    QTA2CONSFASEPREC = S.QTA2CONSFASEPREC,
    QTACONSFASEPREC_REALE = S.QTACONSFASEPREC_REALE,
    QTA2CONSFASEPREC_REALE = S.QTA2CONSFASEPREC_REALE,
    DO30_QTA1ORIG = S.DO30_QTA1ORIG,
    QTA1_SULISTA = S.QTA1_SULISTA,
    QTA1_SULISTA_ORIG = S.QTA1_SULISTA_ORIG,
    QTA1_SULISTATRASF = S.QTA1_SULISTATRASF,
    QTA1_AVANZATAFASEDIVERSAINTERNA = S.QTA1_AVANZATAFASEDIVERSAINTERNA,
    QTA2_AVANZATAFASEDIVERSAINTERNA = S.QTA2_AVANZATAFASEDIVERSAINTERNA,
    QTA1_INVIATAFASEDIVERSATERZISTA = S.QTA1_INVIATAFASEDIVERSATERZISTA,
    QTA2_INVIATAFASEDIVERSATERZISTA = S.QTA2_INVIATAFASEDIVERSATERZISTA,
    PD96_QTAIMPEGNO = S.PD96_QTAIMPEGNO,
    PD96_QTA2IMPEGNO = S.PD96_QTA2IMPEGNO,
    ODP_DO57_QTA1CONSOLID_LISTAP = S.ODP_DO57_QTA1CONSOLID_LISTAP,
    ODP_DO46_QTA1ORD = S.ODP_DO46_QTA1ORD,
    QTA1_TEORICA = S.QTA1_TEORICA,
    QTA1_RESIDUA = S.QTA1_RESIDUA,
    QTADATRASF = S.QTADATRASF,
    QTA2DATRASF = S.QTA2DATRASF,
    SELEZ = CASE WHEN @PgmChiamante IN (5, 6) THEN S.SELEZ ELSE D.SELEZ END
  FROM #TabellaOrdiniDesti AS D
  INNER JOIN #VstGruppi AS G ON G.KEY_ACCORP = D.KEY_ACCORP
  INNER JOIN #VstSomme AS S ON S.GRUPPO = G.ORDINE

  -- The ordered and consumed quantities in the second unit that the
  -- picking-list callers split on are summed too when the host's rows carry
  -- them (they are not work columns of every order table).
  SET @Somme = ''
  SET @Assegna = ''
  IF COL_LENGTH('tempdb..#TabellaOrdini', 'DO30_QTA2') IS NOT NULL
  BEGIN
    SET @Somme = @Somme + ', SUM(ISNULL(T.DO30_QTA2, 0)) AS DO30_QTA2'
    SET @Assegna = @Assegna + ', DO30_QTA2 = S.DO30_QTA2'
  END
  IF COL_LENGTH('tempdb..#TabellaOrdini', 'QTA2CONS') IS NOT NULL
  BEGIN
    SET @Somme = @Somme + ', SUM(ISNULL(T.QTA2CONS, 0)) AS QTA2CONS'
    SET @Assegna = @Assegna + ', QTA2CONS = S.QTA2CONS'
  END
  IF @Assegna <> ''
  BEGIN
    SET @Sql = 'UPDATE D SET ' + SUBSTRING(@Assegna, 3, 400) + ' '
      + 'FROM #TabellaOrdiniDesti AS D '
      + 'INNER JOIN #VstGruppi AS G ON G.KEY_ACCORP = D.KEY_ACCORP '
      + 'INNER JOIN (SELECT O.GRUPPO' + @Somme + ' '
      + '  FROM #VstOrig AS O '
      + '  INNER JOIN #TabellaOrdini AS T '
      + '    ON T.DO11_NUMREG_CO99 = O.NUMREG AND T.DO30_PROGRIGA = O.PROGRIGA AND '
      + '       ISNULL(T.DO46_CODFASE, 0) = O.CODFASE AND ISNULL(T.DO46_PROGSFASE, 0) = O.PROGSFASE '
      + '  GROUP BY O.GRUPPO) AS S ON S.GRUPPO = G.ORDINE'
    EXEC (@Sql)
  END

  -- The merged phases.
  IF @IsRecordsetFasi = 1
  BEGIN
    CREATE TABLE #VstFasi (
      RIGA      INT NOT NULL,
      NUMREG    VARCHAR(50) COLLATE DATABASE_DEFAULT NULL,
      PROGRIGA  DECIMAL(10,0) NULL,
      CODFASE   DECIMAL(10,0) NULL,
      PROGSFASE DECIMAL(10,0) NULL,
      GRUPPO    INT NULL)

    SET @Sql = 'INSERT INTO #VstFasi (RIGA, NUMREG, PROGRIGA, CODFASE, PROGSFASE) '
             + 'SELECT ROW_NUMBER() OVER (ORDER BY ' + @OrdFasi + '), '
             + 'DO46_NUMREG_CO99, DO46_PROGRIGA, ISNULL(DO46_CODFASE, 0), ISNULL(DO46_PROGSFASE, 0) '
             + 'FROM #TabellaFasi'
    EXEC (@Sql)

    -- A phase goes with the first origin row of its order row.
    SELECT F.RIGA, MIN(O.RIGA) AS RIGA_ORDINE
    INTO #VstFasiRighe
    FROM #VstFasi AS F
    INNER JOIN #VstOrig AS O
      ON O.NUMREG = F.NUMREG AND O.PROGRIGA = F.PROGRIGA AND
         (@Key_FaseOrd = 0 OR (O.CODFASE = F.CODFASE AND O.PROGSFASE = F.PROGSFASE))
    GROUP BY F.RIGA

    UPDATE F
    SET GRUPPO = O.GRUPPO
    FROM #VstFasi AS F
    INNER JOIN #VstFasiRighe AS R ON R.RIGA = F.RIGA
    INNER JOIN #VstOrig AS O ON O.RIGA = R.RIGA_ORDINE

    SELECT GRUPPO, CODFASE, PROGSFASE, MIN(RIGA) AS PRIMA
    INTO #VstGruppiFasi
    FROM #VstFasi
    WHERE GRUPPO IS NOT NULL
    GROUP BY GRUPPO, CODFASE, PROGSFASE

    CREATE TABLE #VstSommeFasi (
      GRUPPO    INT NULL,
      CODFASE   DECIMAL(10,0) NULL,
      PROGSFASE DECIMAL(10,0) NULL,
      DO46_QTA1ORD DECIMAL(19,6) NULL,
      DO46_QTA2ORD DECIMAL(19,6) NULL,
      DO46_QTA1CONSOLID DECIMAL(19,6) NULL,
      DO46_QTA2CONSOLID DECIMAL(19,6) NULL,
      DO46_QTADAAVANZ DECIMAL(19,6) NULL,
      DO46_QTA2DAAVANZ DECIMAL(19,6) NULL,
      DO46_QTA1SCARTO DECIMAL(19,6) NULL,
      DO46_QTA2SCARTO DECIMAL(19,6) NULL,
      DO46_QTADASCART DECIMAL(19,6) NULL,
      DO46_QTA2DASCART DECIMAL(19,6) NULL,
      DO46_QTA1CONSOLIDFP DECIMAL(19,6) NULL,
      SALDO DECIMAL(19,6) NULL,
      CONSEGNATO DECIMAL(19,6) NULL,
      QTAINVTERZISTA DECIMAL(19,6) NULL,
      QTA2INVTERZISTA DECIMAL(19,6) NULL,
      DO46_QTAPINVTERZ DECIMAL(19,6) NULL,
      DO46_QTA2PINVTERZ DECIMAL(19,6) NULL,
      FASE_QTATRASF DECIMAL(19,6) NULL,
      FASE_QTADATRASF DECIMAL(19,6) NULL,
      FASE_QTACONSFASEPREC DECIMAL(19,6) NULL,
      FASE_QTA2TRASF DECIMAL(19,6) NULL,
      FASE_QTA2DATRASF DECIMAL(19,6) NULL,
      FASE_QTA2CONSFASEPREC DECIMAL(19,6) NULL)

    SET @Sql = 'INSERT INTO #VstSommeFasi (GRUPPO, CODFASE, PROGSFASE, '
      + 'DO46_QTA1ORD, DO46_QTA2ORD, DO46_QTA1CONSOLID, DO46_QTA2CONSOLID, DO46_QTADAAVANZ, DO46_QTA2DAAVANZ, DO46_QTA1SCARTO, DO46_QTA2SCARTO, DO46_QTADASCART, DO46_QTA2DASCART, DO46_QTA1CONSOLIDFP, SALDO, CONSEGNATO, QTAINVTERZISTA, QTA2INVTERZISTA, DO46_QTAPINVTERZ, DO46_QTA2PINVTERZ, FASE_QTATRASF, FASE_QTADATRASF, FASE_QTACONSFASEPREC, FASE_QTA2TRASF, FASE_QTA2DATRASF, FASE_QTA2CONSFASEPREC) '
      + 'SELECT V.GRUPPO, V.CODFASE, V.PROGSFASE, '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTA1ORD, 0)), 0), '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTA2ORD, 0)), 0), '
      + 'SUM(ISNULL(F.DO46_QTA1CONSOLID, 0)), '
      + 'SUM(ISNULL(F.DO46_QTA2CONSOLID, 0)), '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTADAAVANZ, 0)), 0), '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTA2DAAVANZ, 0)), 0), '
      + 'SUM(ISNULL(F.DO46_QTA1SCARTO, 0)), '
      + 'SUM(ISNULL(F.DO46_QTA2SCARTO, 0)), '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTADASCART, 0)), 0), '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTA2DASCART, 0)), 0), '
      + 'NULLIF(SUM(ISNULL(F.DO46_QTA1CONSOLIDFP, 0)), 0), '
      + 'NULLIF(SUM(ISNULL(F.SALDO, 0)), 0), '
      + 'NULLIF(SUM(ISNULL(F.CONSEGNATO, 0)), 0), '
      + 'SUM(F.QTAINVTERZISTA), '
      + 'SUM(F.QTA2INVTERZISTA), '
      + 'SUM(F.DO46_QTAPINVTERZ), '
      + 'SUM(F.DO46_QTA2PINVTERZ), '
      + 'SUM(F.FASE_QTATRASF), '
      + 'SUM(F.FASE_QTADATRASF), '
      + 'SUM(F.FASE_QTACONSFASEPREC), '
      + 'SUM(F.FASE_QTA2TRASF), '
      + 'SUM(F.FASE_QTA2DATRASF), '
      + 'SUM(F.FASE_QTA2CONSFASEPREC) '
      + 'FROM #VstFasi AS V '
      + 'INNER JOIN #TabellaFasi AS F '
      + '  ON F.DO46_NUMREG_CO99 = V.NUMREG AND F.DO46_PROGRIGA = V.PROGRIGA AND '
      + '     ISNULL(F.DO46_CODFASE, 0) = V.CODFASE AND ISNULL(F.DO46_PROGSFASE, 0) = V.PROGSFASE '
      + 'WHERE V.GRUPPO IS NOT NULL '
      + 'GROUP BY V.GRUPPO, V.CODFASE, V.PROGSFASE'
    EXEC (@Sql)

    SET @Sql = 'INSERT INTO #TabellaFasiDesti '
      + 'SELECT F.* '
      + 'FROM #VstGruppiFasi AS GF '
      + 'INNER JOIN #VstFasi AS V ON V.RIGA = GF.PRIMA '
      + 'INNER JOIN #TabellaFasi AS F '
      + '  ON F.DO46_NUMREG_CO99 = V.NUMREG AND F.DO46_PROGRIGA = V.PROGRIGA AND '
      + '     ISNULL(F.DO46_CODFASE, 0) = V.CODFASE AND ISNULL(F.DO46_PROGSFASE, 0) = V.PROGSFASE'
    EXEC (@Sql)

    -- The copies are found by their first phase's keys and take the merged
    -- row's keys and the sums in one step.
    SET @Sql = 'UPDATE D SET '
      + 'DO46_NUMREG_CO99 = G.DESTI_NUMREG, DO46_PROGRIGA = G.DESTI_PROGRIGA, '
      + 'DO46_CODFASE = GF.CODFASE, DO46_PROGSFASE = GF.PROGSFASE, '
      + 'DO30_PROGPADRE = OD.DO30_PROGPADRE, '
      + 'DO46_QTA1ORD = S.DO46_QTA1ORD, '
      + 'DO46_QTA2ORD = S.DO46_QTA2ORD, '
      + 'DO46_QTA1CONSOLID = S.DO46_QTA1CONSOLID, '
      + 'DO46_QTA2CONSOLID = S.DO46_QTA2CONSOLID, '
      + 'DO46_QTADAAVANZ = S.DO46_QTADAAVANZ, '
      + 'DO46_QTA2DAAVANZ = S.DO46_QTA2DAAVANZ, '
      + 'DO46_QTA1SCARTO = S.DO46_QTA1SCARTO, '
      + 'DO46_QTA2SCARTO = S.DO46_QTA2SCARTO, '
      + 'DO46_QTADASCART = S.DO46_QTADASCART, '
      + 'DO46_QTA2DASCART = S.DO46_QTA2DASCART, '
      + 'DO46_QTA1CONSOLIDFP = S.DO46_QTA1CONSOLIDFP, '
      + 'SALDO = S.SALDO, '
      + 'CONSEGNATO = S.CONSEGNATO, '
      + 'QTAINVTERZISTA = S.QTAINVTERZISTA, '
      + 'QTA2INVTERZISTA = S.QTA2INVTERZISTA, '
      + 'DO46_QTAPINVTERZ = S.DO46_QTAPINVTERZ, '
      + 'DO46_QTA2PINVTERZ = S.DO46_QTA2PINVTERZ, '
      + 'FASE_QTATRASF = S.FASE_QTATRASF, '
      + 'FASE_QTADATRASF = S.FASE_QTADATRASF, '
      + 'FASE_QTACONSFASEPREC = S.FASE_QTACONSFASEPREC, '
      + 'FASE_QTA2TRASF = S.FASE_QTA2TRASF, '
      + 'FASE_QTA2DATRASF = S.FASE_QTA2DATRASF, '
      + 'FASE_QTA2CONSFASEPREC = S.FASE_QTA2CONSFASEPREC '
      + 'FROM #TabellaFasiDesti AS D '
      + 'INNER JOIN #VstFasi AS V '
      + '  ON V.NUMREG = D.DO46_NUMREG_CO99 AND V.PROGRIGA = D.DO46_PROGRIGA AND '
      + '     V.CODFASE = ISNULL(D.DO46_CODFASE, 0) AND V.PROGSFASE = ISNULL(D.DO46_PROGSFASE, 0) '
      + 'INNER JOIN #VstGruppiFasi AS GF ON GF.PRIMA = V.RIGA '
      + 'INNER JOIN #VstGruppi AS G ON G.ORDINE = GF.GRUPPO '
      + 'INNER JOIN #TabellaOrdiniDesti AS OD ON OD.KEY_ACCORP = G.KEY_ACCORP '
      + 'INNER JOIN #VstSommeFasi AS S '
      + '  ON S.GRUPPO = GF.GRUPPO AND S.CODFASE = GF.CODFASE AND S.PROGSFASE = GF.PROGSFASE'
    EXEC (@Sql)
  END

  -- 1. The origin rows.
  SET @Sql = 'SELECT * FROM #TabellaOrdini ORDER BY ' + @Ord
  EXEC (@Sql)

  -- 2. The merged rows.
  SELECT D.*
  FROM #TabellaOrdiniDesti AS D
  INNER JOIN #VstGruppi AS G ON G.KEY_ACCORP = D.KEY_ACCORP
  ORDER BY G.ORDINE

  -- 3. The links.
  SELECT O.NUMREG AS ORIG_NUMREG,
         O.PROGRIGA AS ORIG_PROGRIGA,
         O.CODFASE AS ORIG_CODFASE,
         O.PROGSFASE AS ORIG_PROGSFASE,
         G.DESTI_NUMREG,
         G.DESTI_PROGRIGA,
         G.DESTI_CODFASE,
         G.DESTI_PROGSFASE,
         G.KEY_ACCORP
  FROM #VstOrig AS O
  INNER JOIN #VstGruppi AS G ON G.ORDINE = O.GRUPPO
  ORDER BY G.ORDINE, O.RIGA

  IF @IsRecordsetFasi = 1
  BEGIN
    -- 4. The origin phases.
    SET @Sql = 'SELECT * FROM #TabellaFasi ORDER BY ' + @OrdFasi
    EXEC (@Sql)

    -- 5. The merged phases.
    SET @Sql = 'SELECT * FROM #TabellaFasiDesti '
             + 'ORDER BY DO46_PROGRIGA, DO46_NUMREG_CO99, DO46_CODFASE, DO46_PROGSFASE'
    EXEC (@Sql)
  END
END
