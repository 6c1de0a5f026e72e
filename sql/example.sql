-- A ready-to-run example for qorita: the courier parameters in TABX and one
-- shipment with a call row. Run it with isql-fb on the application's database
-- after sql/schema.sql (or the application's own tables):
--   isql-fb -user SYSDBA -password <password> /data/orders.fdb -i example.sql
-- then check the deployment and send the call whose ID it prints:
--   qorita -Verifica DatabaseName=/data/orders.fdb
--   qorita -Crea DatabaseName=/data/orders.fdb ChiamataId=<CHIAMATA_ID>
-- Replace the values between quotes with the courier account's.

-- The parameters are the rows with UTENTE NULL (the general values); CODICE is
-- drawn from CODICETABXCOUNTER. Running the script again replaces them: it
-- first removes the general QORITA_ rows, so that no name is there twice.
DELETE FROM TABX WHERE NOME STARTING WITH 'QORITA_' AND UTENTE IS NULL;
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_SedeQor', 'MI', NULL);
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_CodiceClienteQor', '1234', NULL);
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_PasswordClienteQor', 'sandbox', NULL);
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_CodiceContrattoQor', '77', NULL);
-- An existing folder, writable by the system user that runs qorita.
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_RequestResponseDir', '/var/lib/qorita/scambi', NULL);
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_TipoEtichetta', 'PDF', NULL);
-- Optional, here with the values an empty one stands for: the courier's
-- production service, the system's certificate authorities, 600 s per request.
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_ServiceUrl', '', NULL);
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_ServiceCaFile', '', NULL);
INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (GEN_ID(CODICETABXCOUNTER, 1), 'QORITA_ServiceTimeout', '', NULL);
COMMIT;

-- One shipment of two parcels (PDF labels, the second with cash on delivery)
-- and the call row that asks for it, as the application writes them before it
-- starts qorita. Prints the call's ID.
SET TERM ^ ;
EXECUTE BLOCK RETURNS (CHIAMATA_ID INTEGER)
AS
  DECLARE TESTATA_ID INTEGER;
BEGIN
  TESTATA_ID = GEN_ID(QORITA_TESTATE_ID, 1);
  INSERT INTO QORITA_TESTATE (ID, DOCUMENTO_ID, RAGIONESOCIALE, INDIRIZZO, LOCALITA, ZIPCODE, PROVINCIA, COLLI,
    TIPOETICHETTA, PESOTOTALE, CONTRASSEGNOTOTALE, MODALITAINCASSO, EMAIL, CELLULARE1, STATUS)
  VALUES (:TESTATA_ID, 5001, 'Trattoria Da Niccolò', 'Via dell''Orto 12', 'Firenze', '50125', 'FI', 2,
    'PDF', 5.5, 49.9, 'CONT', 'ordini@example.com', '3331234567', 'VALIDA');
  INSERT INTO QORITA_RIGHE (TESTATA, NCOLLO, PESOREALE) VALUES (:TESTATA_ID, 1, 2.5);
  INSERT INTO QORITA_RIGHE (TESTATA, NCOLLO, PESOREALE, IMPORTOCONTRASSEGNO) VALUES (:TESTATA_ID, 2, 3.0, 49.9);
  -- OPERATORE: the application's user on whose behalf the call runs.
  CHIAMATA_ID = GEN_ID(QORITA_CHIAMATE_ID, 1);
  INSERT INTO QORITA_CHIAMATE (ID, TESTATA, DATAORA, OPERATORE)
  VALUES (:CHIAMATA_ID, :TESTATA_ID, CURRENT_TIMESTAMP, 7);
  SUSPEND;
END^
SET TERM ; ^
COMMIT;
