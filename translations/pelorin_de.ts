<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>OrbelBrand</name>
    <message>
        <source>No data collected</source>
        <translation>Keine Datenerfassung</translation>
    </message>
    <message>
        <source>No internet, no data collected</source>
        <translatorcomment>Contains soft hyphens (U+00AD) on purpose: invisible, they mark where the word may break at the largest text size. Screen readers get the text without them.</translatorcomment>
        <translation>Kein Internet, keine Daten­erfassung</translation>
    </message>
</context>
<context>
    <name>ReadoutBoard</name>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>READY</source>
        <translation>BEREIT</translation>
    </message>
    <message>
        <source>STARTING</source>
        <translation>STARTET</translation>
    </message>
    <message>
        <source>ENDING</source>
        <translation>ENDET</translation>
    </message>
    <message>
        <source>ATTENTION</source>
        <translation>ACHTUNG</translation>
    </message>
    <message>
        <source>FAILED</source>
        <translation>FEHLER</translation>
    </message>
    <message>
        <source>NO LIMIT</source>
        <translation>OHNE LIMIT</translation>
    </message>
    <message>
        <source>Time remaining</source>
        <translation>Verbleibende Zeit</translation>
    </message>
    <message>
        <source>Session status</source>
        <translation>Sitzungsstatus</translation>
    </message>
    <message>
        <source>Ends at %1</source>
        <comment>the end of a session later today</comment>
        <translation>Endet um %1</translation>
    </message>
    <message>
        <source>Ends %1</source>
        <comment>the end of a session on another day: weekday, date and time</comment>
        <translation>Endet am %1</translation>
    </message>
    <message>
        <source>Turn on the switch to use Pelorin</source>
        <translation>Aktiviere den Schalter, um Pelorin zu nutzen</translation>
    </message>
    <message>
        <source>One click on a duration and your Mac stays awake</source>
        <translation>Ein Klick auf eine Dauer, und dein Mac bleibt wach</translation>
    </message>
    <message>
        <source>Starting the session…</source>
        <translation>Sitzung wird gestartet…</translation>
    </message>
    <message>
        <source>Ending the session…</source>
        <translation>Sitzung wird beendet…</translation>
    </message>
    <message>
        <source>The Mac may still be kept awake. Try ending the session again.</source>
        <translation>Der Mac wird eventuell noch wach gehalten. Versuche erneut, die Sitzung zu beenden.</translation>
    </message>
    <message>
        <source>The session could not start</source>
        <translation>Die Sitzung konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>The session could not go on</source>
        <translation>Die Sitzung konnte nicht weiterlaufen</translation>
    </message>
    <message>
        <source>The Mac stays awake until you turn it off</source>
        <translation>Der Mac bleibt wach, bis du die Sitzung beendest</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <comment>what a screen reader says for the readout: the time left or state, then the status line</comment>
        <translation>%1. %2</translation>
    </message>
</context>
<context>
    <name>orbel::OpenAtLoginRow</name>
    <message>
        <source>Open at Login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
</context>
<context>
    <name>orbel::PanelFooter</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Getting Started</source>
        <translation>Erste Schritte</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
<context>
    <name>orbel::PanelHeader</name>
    <message>
        <source>Turn off</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>Turn on</source>
        <translation>Einschalten</translation>
    </message>
</context>
<context>
    <name>orbel::PermissionRow</name>
    <message>
        <source>Optional</source>
        <translation>Optional</translation>
    </message>
    <message>
        <source>Allowed</source>
        <translation>Erlaubt</translation>
    </message>
    <message>
        <source>Not allowed yet</source>
        <translation>Noch nicht erlaubt</translation>
    </message>
</context>
<context>
    <name>orbel::PreferencesLoginRow</name>
    <message>
        <source>Open at Login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
</context>
<context>
    <name>orbel::WelcomeLayout</name>
    <message>
        <source>Open at Login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Loslegen</translation>
    </message>
</context>
<context>
    <name>orbel::WelcomeStepsLayout</name>
    <message>
        <source>Open at Login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
</context>
<context>
    <name>pelorin::DurationGrid</name>
    <message>
        <source>Starts the session</source>
        <translation>Startet die Sitzung</translation>
    </message>
    <message>
        <source>30 min</source>
        <translation>30 Min.</translation>
    </message>
    <message>
        <source>1 h</source>
        <translation>1 Std.</translation>
    </message>
    <message>
        <source>2 h</source>
        <translation>2 Std.</translation>
    </message>
    <message>
        <source>4 h</source>
        <translation>4 Std.</translation>
    </message>
    <message>
        <source>8 h</source>
        <translation>8 Std.</translation>
    </message>
    <message>
        <source>No limit</source>
        <translation>Ohne Limit</translation>
    </message>
    <message>
        <source>until you turn it off</source>
        <translatorcomment>Contains soft hyphens (U+00AD) on purpose: invisible, they mark where the word may break at the largest text size. Screen readers get the text without them.</translatorcomment>
        <translation>bis zum Aus­schal­ten</translation>
    </message>
    <message>
        <source>until %1</source>
        <translation>bis %1</translation>
    </message>
</context>
<context>
    <name>pelorin::MenuBarExtra</name>
    <message>
        <source>Open Pelorin</source>
        <translation>Pelorin öffnen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
<context>
    <name>pelorin::MenuView</name>
    <message>
        <source>Your Mac, under your control</source>
        <translation>Dein Mac, unter deiner Kontrolle</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>+30 min</source>
        <translation>+30 Min.</translation>
    </message>
    <message>
        <source>Add 30 minutes</source>
        <translation>30 Minuten hinzufügen</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>End the session</source>
        <translation>Sitzung beenden</translation>
    </message>
    <message>
        <source>The session needs attention</source>
        <translatorcomment>Contains soft hyphens (U+00AD) on purpose: invisible, they mark where the word may break at the largest text size. Screen readers get the text without them.</translatorcomment>
        <translation>Sitzung erfordert Auf­merk­sam­keit</translation>
    </message>
    <message>
        <source>The session ended early</source>
        <translation>Sitzung vorzeitig beendet</translation>
    </message>
    <message>
        <source>The session did not start</source>
        <translation>Sitzung wurde nicht gestartet</translation>
    </message>
    <message>
        <source>Starting the session…</source>
        <translation>Sitzung wird gestartet…</translation>
    </message>
    <message>
        <source>Ending the session…</source>
        <translation>Sitzung wird beendet…</translation>
    </message>
    <message>
        <source>On until you turn it off</source>
        <translation>Aktiv bis zum Ausschalten</translation>
    </message>
    <message>
        <source>Awake until %1</source>
        <translation>Wach bis %1</translation>
    </message>
    <message>
        <source>Ready to start</source>
        <translation>Bereit zum Start</translation>
    </message>
    <message>
        <source>Off: the Mac can sleep</source>
        <translation>Aus: Der Mac kann schlafen</translation>
    </message>
    <message>
        <source>The session could not end</source>
        <translation>Die Sitzung konnte nicht beendet werden</translation>
    </message>
    <message>
        <source>The session could not start</source>
        <translation>Die Sitzung konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>The session could not go on</source>
        <translation>Die Sitzung konnte nicht weiterlaufen</translation>
    </message>
    <message>
        <source>The Mac may still be kept awake. Try ending the session again.</source>
        <translation>Der Mac wird eventuell noch wach gehalten. Versuche erneut, die Sitzung zu beenden.</translation>
    </message>
    <message>
        <source>Pelorin could no longer keep the Mac awake. Try again.</source>
        <translation>Pelorin konnte den Mac nicht länger wach halten. Versuche es erneut.</translation>
    </message>
    <message>
        <source>Pelorin could not confirm that the Mac will stay awake. Try again.</source>
        <translation>Pelorin konnte nicht bestätigen, dass der Mac wach bleibt. Versuche es erneut.</translation>
    </message>
</context>
<context>
    <name>pelorin::PanelDisplayRow</name>
    <message>
        <source>Keep the display always awake</source>
        <translation>Bildschirm immer wach halten</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
</context>
<context>
    <name>pelorin::PreferencesView</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Open at Login</source>
        <translation>Bei der Anmeldung öffnen</translation>
    </message>
    <message>
        <source>Opening Pelorin never starts a session. Click a duration when you need it.</source>
        <translation>Pelorin startet beim Öffnen nie eine Sitzung. Klicke auf eine Dauer, wenn du eine brauchst.</translation>
    </message>
    <message>
        <source>Allow Pelorin to open at login</source>
        <translation>Pelorin das Öffnen bei der Anmeldung erlauben</translation>
    </message>
    <message>
        <source>Review Pelorin in Login Items in System Settings.</source>
        <translatorcomment>Contains soft hyphens (U+00AD) on purpose: invisible, they mark where the word may break at the largest text size. Screen readers get the text without them.</translatorcomment>
        <translation>Prüfe Pelorin unter „Anmelde­objekte“ in den System­einstellungen.</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translatorcomment>Contains soft hyphens (U+00AD) on purpose: invisible, they mark where the word may break at the largest text size. Screen readers get the text without them.</translatorcomment>
        <translation>System­einstellungen öffnen</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>The login setting could not change</source>
        <translatorcomment>Contains soft hyphens (U+00AD) on purpose: invisible, they mark where the word may break at the largest text size. Screen readers get the text without them.</translatorcomment>
        <translation>Die Anmelde­einstellung konnte nicht geändert werden</translation>
    </message>
</context>
<context>
    <name>pelorin::WelcomeView</name>
    <message>
        <source>When time runs out, or you turn Pelorin off, macOS can sleep again. Other apps may still keep it awake.</source>
        <translation>Wenn die Zeit abläuft oder du Pelorin ausschaltest, kann macOS wieder schlafen. Andere Apps halten den Mac eventuell trotzdem wach.</translation>
    </message>
    <message>
        <source>Closing the lid, critical battery, or choosing Sleep can still put your Mac to sleep. Pelorin does not resume after sleep or reopening.</source>
        <translation>Das Zuklappen des Deckels, ein kritischer Akkustand oder der Befehl „Ruhezustand“ können deinen Mac trotzdem schlafen legen. Pelorin setzt die Sitzung nach dem Ruhezustand oder erneuten Öffnen nicht fort.</translation>
    </message>
    <message>
        <source>A timer does not know when another app has finished its work.</source>
        <translation>Ein Timer weiß nicht, wann eine andere App ihre Arbeit beendet hat.</translation>
    </message>
    <message>
        <source>Keep your Mac working</source>
        <translation>Dein Mac arbeitet weiter</translation>
    </message>
    <message>
        <source>Click a duration in the menu bar, and your Mac stays awake until it ends.</source>
        <translation>Klicke in der Menüleiste auf eine Dauer, und dein Mac bleibt wach, bis sie abläuft.</translation>
    </message>
    <message>
        <source>You decide when it ends</source>
        <translation>Du bestimmst das Ende</translation>
    </message>
    <message>
        <source>Your Mac, under your control</source>
        <translation>Dein Mac, unter deiner Kontrolle</translation>
    </message>
    <message>
        <source>Let’s go</source>
        <translation>Los geht’s</translation>
    </message>
    <message>
        <source>Getting Started</source>
        <translation>Erste Schritte</translation>
    </message>
</context>
</TS>
