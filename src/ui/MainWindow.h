#pragma once

#include "control/CFlashResultat.h"
#include "control/Verdict.h"
#include "data/CDataBillet.h"
#include "data/CDataCompostage.h"
#include "data/CDataEvenement.h"
#include "data/CDataModif.h"
#include "data/CDataReferences.h"
#include "data/CDataRepresentation.h"
#include "data/CDataVidange.h"
#include "data/SqlRunner.h"
#include "net/CThreadEvt.h"
#include "net/CThreadGet.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMutex>
#include <QPoint>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <array>
#include <functional>
#include <optional>

class CDataNbBilletListe;
class CKeyboardWidget;
class CParam;
class CRepWidget;
class CWebCam;
class MessageDlg;
class ProgressBar;
class QMouseEvent;
class QNetworkAccessManager;
class QShortcut;
class QSignalMapper;
class QSoundEffect;
class SaisieDlg;
class Ui_MainWindow;

// The one window of the program: frameless, 1024x768, seven pages. It owns the form,
// the dialogs, the tiles, the workers, the timers and the GUI thread's database
// connection with the database mutex. Its slots belong to several features; each
// section below names the file that implements it.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // ---- construction: src/ui/MainWindow.cpp ----
    explicit MainWindow(QWidget* parent = nullptr);
    // src/ui/MainWindowChrome.cpp
    ~MainWindow() override;

    // What the Return and keypad Enter keys do now, by page and open dialog
    // (src/ui/MainWindowChrome.cpp).
    enum class ReturnAction
    {
        None,
        VerifLogin,
        StartScan,
        PadNumValidate,
        Search,
        ValideSaisie,
        AckMessage,
    };
    ReturnAction currentReturnAction() const;

    // One connection made by the constructor, as recorded when it was made.
    struct WiredConnection
    {
        QString sender;
        QByteArray signal;
        QByteArray slot;
        Qt::ConnectionType type = Qt::AutoConnection;
    };

    // Every connection the constructor made, in order (src/ui/MainWindowWiring.cpp).
    QList<WiredConnection> wiredConnections;

    // Set when the main database could not be opened during construction.
    bool isStartFailed = false;
    bool isDragging = false;
    // Global position of the pressing mouse minus the window's position.
    QPoint dragOffset;
    bool isForcedOffline = false;
    // A return to the performance choice or an exit waits for the end of the
    // synchronisation cycle.
    bool isRepPageRequested = false;
    bool isExitRequested = false;
    bool isDeltaError = false;
    bool isSyncRunning = false;
    // Every request is built on this one manager.
    QNetworkAccessManager* networkManager = nullptr;
    // The GUI thread's connection; workers open their own.
    QSqlDatabase db;
    QString currentRepDbName;
    QMutex* dbMutex = nullptr;
    QTimer pingTimer;
    QTimer focusTimer;
    QTimer deltaTimer;
    QString imagePath;
    QShortcut* shortcutReturn = nullptr;
    QShortcut* shortcutEnter = nullptr;
    QShortcut* shortcutF5 = nullptr;
    QShortcut* shortcutQuit = nullptr;
    Ui_MainWindow* ui = nullptr;
    CDataEvenementListe dataEvenementListe;
    int eventPageCount = 0;
    int eventCount = 0;
    int eventPage = 0;
    // Tiles 1 to 6 of the performance-choice page.
    std::array<CRepWidget*, 6> repWidgets{};
    CKeyboardWidget* keyboardScan = nullptr;
    CKeyboardWidget* keyboardSearch = nullptr;
    CThreadEvt threadEvt;
    CThreadGet threadGetDelta;
    CThreadGet threadGetFile;
    CWebCam* webCam = nullptr;
    CDataBillet currentBillet;
    // A barcode waiting for the choice of its issuer.
    QString lastBarcode;
    QSignalMapper* padMapper = nullptr;
    int nbTicket = 0;
    int nbPunched = 0;
    // Journal rows being uploaded.
    CDataModifListe dataModifListe;
    // Upload batch size of the synchronisation cycle.
    int nbModifSent = 0;
    // Drain rows being uploaded.
    CDataVidangeListe dataVidangeListe;
    // The VIDANGE ID of the drain row whose upload awaits its answer: only that row is
    // deleted by the acknowledgement, whatever reloaded the list meanwhile.
    unsigned int drainRowInFlight = 0;
    int paramPreviousPage = 0;
    int updatePreviousPage = 0;
    // The settings copy being edited on the settings pages, or null.
    CParam* paramEdit = nullptr;
    // Row of the local-ticket table whose deletion waits for confirmation.
    int localTicketRowToDelete = -1;
    ProgressBar* progressBar = nullptr;
    MessageDlg* messageDlg = nullptr;
    SaisieDlg* saisieDlg = nullptr;

public slots:
    // ---- window chrome and navigation: src/ui/MainWindowChrome.cpp ----
    void minimizeClick();
    void helpLoginClick();
    void helpPasswordClick();
    void helpAgentClick();
    void lockFocusClick();
    void returnKeyPressed();
    void timerFocus();
    void decPage();
    void incPage();

    // ---- dialog relays: src/ui/MainWindowChrome.cpp ----
    void displayMessage(const QString& title, const QString& message);
    void actionShowMessageDlg(bool isVisible);
    void ackMessage();
    void actionShowSaisieDlg(bool isVisible);
    void actionShowProgress(bool isVisible);
    void actionUpdateProgressText(const QString& text);
    void actionUpdateProgressValue(uint value);
    void actionUpdateProgressMax(uint max);
    void actionDownloadProgress(qint64 value, qint64 max);

    // ---- ticket control: src/control/MainWindowControl.cpp (scanning and verdict),
    // MainWindowDisplay.cpp (ticket display), MainWindowSearch.cpp (search page),
    // MainWindowLocal.cpp (local tickets) ----
    void startScanClicked();
    void localTicketPageClicked();
    void checkBarcode(const QString& barcode);
    void activeWebcamClicked();
    void punchClicked();
    void signalFraudeClicked();
    void switchPunchReadClicked();
    void displayTarifClicked();
    void padNumClicked(const QString& text);
    void padNumValidateClicked();
    void padNumSearchClicked();
    void padNumBackClicked();
    void padNumAlphaClicked();
    void keyboardKeyClicked(const QString& text);
    void keyboardEnterClicked();
    void keyboardExitClicked();
    void keyboardBackClicked();
    void updateNbTicket(int added, int usedUp);
    void searchClicked();
    void editSearchChanged(const QString& text);
    void backToScanClicked();
    void resultDoubleClicked(int row, int column);
    void keyboardSearchKeyClicked(const QString& text);
    void keyboardSearchEnterClicked();
    void keyboardSearchExitClicked();
    void keyboardSearchBackClicked();
    void cancelTicketClicked();
    void addTicketClicked();
    void localTicketDoubleClicked(int row, int column);
    void localTicketClicked(int row, int column);
    void valideSaisieDlg();
    void valideSaisieDlg(uint value);
    void valideSaisieCombo(const QVariant& value);
    void searchBarcode(const QString& barcode);

    // ---- server link and synchronisation: src/net/MainWindowNet.cpp ----
    void actionDrainNeeded();
    void drainGlobalClicked();
    void actionGetDeltaTerminated();
    void timerDelta();
    void actionResponseSendPunch(const QByteArray& response);
    void actionErrorSendPunch(int code);
    void actionSendPunchTerminated();
    void actionResponseGetDelta(const QByteArray& response);
    void actionErrorGetDelta(int code);
    void actionResponseSendGlobalPunch(const QByteArray& response);
    void actionErrorSendGlobalPunch(int code);
    void actionSendGlobalPunchTerminated();

    // ---- session and performance choice: src/session/MainWindowSession.cpp ----
    // (login, identifier and ping in MainWindowLogin.cpp; zone, event list and pages
    // in MainWindowEvents.cpp)
    void exitClick();
    void connectionClick();
    void verifLoginClicked();
    void editLoginChanged(const QString& text);
    // The list at `path` (id `idRep` for the service, chosen under REP_JOUR `jour`)
    // becomes the current one.
    void setCurrentRep(CDataEvenement evenement,
                       CDataRepresentation representation,
                       const QString& path,
                       const QString& idRep,
                       const QString& jour);
    void actionPageEnable(bool isEnabled);
    void repNextPageClicked();
    void repPrevPageClicked();
    void loadFileClicked();
    void refreshListRepClicked();
    void actionGetEventsTerminated();
    void changeRepClicked();
    void backToRepClicked();
    void cancelSaisie();
    void timerPing();
    void F5KeyPressed();
    void affichePageRep();
    void actionResponseLogin(const QByteArray& response);
    void actionErrorLogin(int code);
    void actionResponsePing(const QByteArray& response);
    void actionErrorPing(int code);
    void actionResponseGetEvents(const QByteArray& response);
    void actionErrorGetEvents(int code);
    void actionGetEventsError(const QString& text);

    // ---- current performance, recap and file imports: src/session/MainWindowRep.cpp
    // (with setCurrentRep above) and src/session/MainWindowImport.cpp (with
    // loadFileClicked above) ----
    // The file-import worker has stored an event file's event and performance.
    void actionSelectRepFile(uint dataEventId, uint dataEventType, uint dataRepId, const QString& idRep);
    void actionGetRepFileTerminated();
    // Counts and per-issuer table of the current performance's list; leaves `db` on it.
    void displayRecapRep();
    // A tile has removed the ticket-list database `path`.
    void actionRepFileDropped(const QString& path);
    void editFileSelectChange();
    void editFileEdited(const QString& text);

    // ---- settings, languages and update: src/settings/MainWindowSettings.cpp,
    // MainWindowLanguage.cpp (changeLangue) and MainWindowUpdate.cpp (the update) ----
    void configClick();
    void updateSoftwareClick();
    void saveParamClicked();
    void cancelParamClicked();
    void backParamClicked();
    void nextParamClicked();
    void previousParamClicked();
    void advancedParamClicked();
    void backAdvancedParamClicked();
    void tactilParamClicked();
    void directSearchParamClicked();
    void diffPunchParamClicked();
    void repJourParamClicked();
    void unpunchParamClicked();
    void frenchParamClicked();
    void englishParamClicked();
    void spanishParamClicked();
    void editParamUrlChanged(const QString& text);
    void hideRecapTicketParamClicked();
    void localTicketParamClicked();
    void editParamProxyChanged(const QString& text);
    void editParamTimeOutChanged(const QString& text);
    void getUpdateClicked();
    void cancelUpdateClicked();
    void valideSaisieEdit(const QString& value);
    void actionResponseUpdate(const QByteArray& response);
    void actionErrorUpdate(int code);
    void actionResponseGetUpdate(const QByteArray& response);
    void actionErrorGetUpdate(int code);

public:
    // ---- server link and synchronisation: src/net/MainWindowNet.cpp ----
    // Posts the cycle's next batch of pending journal rows.
    void sendPunch();
    // Posts the cycle's delta request for the open ticket list.
    void getDelta();
    // Before a login with another account or a change of zone deletes every database
    // file: fills dataVidangeListe with the whole drain queue, then every pending
    // journal row of every other database file with its file's DELTA context, none
    // replacing another. Changes no file; leaves `db` open on the main database. The
    // caller wipes the files, reopens the main database and writes the list back with
    // CDataVidangeListe::ajouteSql, which it must check: until then the rows exist
    // only in that list.
    void recupVidange();
    // Posts the drain's first row, or ends the drain.
    void sendGlobalPunch();
    // Bumped by every cycle: a delta reply or error of an earlier one is dropped.
    quint64 deltaRequestGeneration = 0;
    // This terminal's drain rows as they were when the delta was asked for: the worker
    // applies them to the tickets the reply rewrites.
    CDataModifListe deltaDrained;
    // Ends the program once the cycle asked to exit is over; empty: quits the
    // application's event loop.
    std::function<void()> quitEventLoop;

    // ---- session and performance choice: src/session/MainWindowSession.cpp ----
    // The terminal identifier, "PC-MAC-" and the machine's names.
    QString getSerialNumber();
    // Downloads the event list (online) and shows the performance-choice page.
    void recupEvents();
    void getEvents();
    // Rebuilds the event list from the main database, purges it, shows page 1.
    void displayDownloadedEvents();
    // Fills the six tiles for the current page.
    void displayPageEvents();
    // Wipes every database, keeping unsent punches (and, for a zone change, the
    // zones); false, with the agent told, when nothing could be wiped safely.
    bool wipeLocalData(bool keepZones);
    // The zone chosen in the input dialog (its goal 0): moves the session to that zone.
    void zoneChosen(uint zoneId);

    // What the agent typed when pressing the login button: that press's reply uses it.
    struct LoginAttempt
    {
        QString login;
        QString passwordMd5;
        QString agent;
    };

    LoginAttempt loginAttempt;
    // Bumped by every press of the login button: an answer to an earlier one, or one
    // that comes once the login page is left, is dropped (logged once).
    quint64 loginRequestGeneration = 0;
    bool isStaleLoginLogged = false;
    bool isCurrentLogin(quint64 generation);
    // Set from the start of the event-list worker to the handling of its end.
    bool isEventListParsing = false;
    // Bumped by every event-list request and by every wipe: an answer of an earlier
    // one is dropped (logged once).
    quint64 eventsRequestGeneration = 0;
    bool isStaleEventsLogged = false;
    // A tile uploads or downloads its list.
    bool isTileChainRunning() const;

    // ---- ticket control: src/control/MainWindowControl.cpp ----
    // Redraws the scan gauge; with `reload` it first counts the list's tickets.
    void updateScanJauge(bool reload);
    // The list changed since the gauge last counted it: the scan page counts it again
    // when it shows.
    bool isJaugeToCount = false;
    // Called wherever another page gives way to the scan page.
    void scanPageShown();
    // Writes the panel of the ticket shown again, in the language of the settings.
    void redrawShownTicket();
    // Manual and direct actions on the ticket shown, each written with its journal
    // row in one transaction; the verdict they lead to.
    Verdict punchCurrentTicket();
    Verdict unpunchCurrentTicket();
    Verdict signalFraudeCurrentTicket();
    // src/control/MainWindowDisplay.cpp: fills the panel and lists from currentBillet.
    void displayInfoCurrentTicket();
    // src/control/MainWindowLocal.cpp: the answers to the input dialog's goals 3 and 4.
    void addLocalTicket();
    // Deletes the local ticket captured when the agent asked; `row` only says which
    // row was clicked.
    void deleteLocalTicket(int row);

    // The verdict on screen, the sound played for it (none for a mere reading).
    Verdict shownVerdict = Verdict::Aucun;
    // The flash over the verdict panel after each verdict; its timer is "flashTimer".
    CFlashResultat resultFlash;
    Son lastSound = Son::Aucun;
    // Barcode of the local ticket whose deletion waits for confirmation.
    QString localTicketBarcodeToDelete;
    // The local ticket whose replacement waits for confirmation.
    CDataBillet localTicketToStore;
    QString localTicketPlaceToStore;
    // The names the ticket display shows, and the statements of every scan, kept for
    // the list being scanned.
    CDataReferences references;
    sqlrun::Prepared doorStatements;

    // ---- current performance and file imports: src/session/MainWindowRep.cpp and
    // src/session/MainWindowImport.cpp ----
    // The open-file dialog of the file box; empty: the platform's.
    std::function<QString(QWidget* parent)> chooseFile;

    // The performance setCurrentRep showed, for its dated texts to be written again;
    // empty while the panel shows none.
    struct ShownRep
    {
        CDataEvenement evenement;
        CDataRepresentation representation;
    };

    std::optional<ShownRep> shownRep;
    // The start date and sale badge of shownRep, in the language of the settings.
    void showCurrentRepTexts();

    // ---- settings, languages and update: src/settings/ ----
    // Rewrites every caption in `language` (0 French, 1 English, 2 Spanish).
    void changeLangue(int language);
    // The language changeLangue last wrote the captions in; the gauge, one of them, is
    // drawn in it whenever it changes.
    int shownLangue = 0;
    // After Save or Cancel: every text on screen in the language of the settings, the
    // captions and what the code drew at run time (gauge, ticket shown, performance,
    // tiles).
    void redrawInSettingsLanguage();
    // Records the built-in version in the settings file.
    void updateSoftware();
    // Asks the service whether a newer version exists.
    void verifNewVersion();
    // Shows the values of the settings copy on the settings pages.
    void displayParam();
    // The page label and the paging buttons of the configuration sub-pages.
    void updateParamCongigNavigation();
    // The values `paramEdit` was copied with: Save writes back only what differs.
    QHash<unsigned int, QString> paramEditBase;

protected:
    // ---- window chrome: src/ui/MainWindowChrome.cpp ----
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Shows the window normally and asks for the keyboard, with or without a window
    // manager.
    void showWithKeyboard();

private:
    // ---- ticket control: src/control/MainWindow*.cpp ----
    // The window's connection is on the current list; isRepDatabaseOpen also logs and
    // tells the user when it is not.
    bool isRepDatabaseCurrent() const;
    bool isRepDatabaseOpen();
    void clearResultDisplay();
    void showVerdict(Verdict verdict);
    // The verdict's texts, look and buttons, without sound or flash.
    void drawVerdict(Verdict verdict);
    void judgeCurrentTicket(bool mayPunch);
    void loadAndJudge(const QString& barcode, unsigned int editeurId, bool mayPunch);
    void finishResult();
    Verdict actOnCurrentTicket(ActionCompostage action);
    void setPanelLook(PanelLook look);
    void playSound(Son son);
    void showTicketPicture();
    void showPicture(const QString& path);
    void openSearchPage();
    void refreshLocalTickets();
    void fillLocalForm(int row);
    void clearLocalForm();
    void storeLocalTicket(const CDataBillet& billet, const QString& placement);
    QSoundEffect* soundOk = nullptr;
    QSoundEffect* soundKo = nullptr;

    // ---- construction: src/ui/MainWindow.cpp ----
    void createDialogs();
    void fillLoginFields();

    // ---- wiring: src/ui/MainWindowWiring.cpp ----
    // Connects with function pointers and records the connection.
    template <typename Sender, typename Signal, typename Receiver, typename Slot>
    void
    wire(Sender* sender, Signal signal, Receiver* receiver, Slot slot, const char* slotName, Qt::ConnectionType type);
    void wireWindowBar();
    void wireLoginPage();
    void wireTiles();
    void wireRepPage();
    void wireThreadEvt();
    void wireWebCam();
    void wireScanPage();
    void wirePad();
    void wireKeyboardScan();
    void wireThreadGetDelta();
    void wireThreadGetFile();
    void wireSearchPage();
    void wireKeyboardSearch();
    void wireSettingsPages();
    void wireUpdatePage();
    void wireLocalTicketPage();
    void wireMessageDlg();
    void wireSaisieDlg();
    void wireTimers();
    void wireShortcuts();

    // ---- current performance and file imports: src/session/MainWindowRep.cpp and
    // src/session/MainWindowImport.cpp ----
    // No current performance: the panel of the performance page shows none.
    void resetCurrentRep();
    void fillRecapTable(const CDataNbBilletListe& counts);
    QString openFileDialog();
    void importLocalTickets(const QByteArray& content);
    void importEventFile(const QByteArray& content);
};
