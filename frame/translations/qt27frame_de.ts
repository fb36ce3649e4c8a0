<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>frame::AuditDock</name>
    <message>
        <source>Input range</source>
        <translation>Eingangsbereich</translation>
    </message>
    <message>
        <source>Damping</source>
        <translation>Dämpfung</translation>
    </message>
    <message>
        <source>Failsafe value</source>
        <translation>Ersatzwert</translation>
    </message>
    <message>
        <source>Open-line detection</source>
        <translation>Drahtbrucherkennung</translation>
    </message>
    <message>
        <source>Short-circuit detection</source>
        <translation>Kurzschlusserkennung</translation>
    </message>
    <message>
        <source>on</source>
        <translation>ein</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>invalid</source>
        <translation>ungültig</translation>
    </message>
    <message>
        <source>by the user</source>
        <translation>durch den Benutzer</translation>
    </message>
    <message>
        <source>aborted</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>page closed</source>
        <translation>Seite geschlossen</translation>
    </message>
    <message>
        <source>connection lost</source>
        <translation>Verbindung verloren</translation>
    </message>
    <message>
        <source>disconnected</source>
        <translation>Verbindung getrennt</translation>
    </message>
    <message>
        <source>%1 changed from &quot;%2&quot; to &quot;%3&quot;</source>
        <translation>%1 geändert von „%2“ auf „%3“</translation>
    </message>
    <message>
        <source>Comment changed from &quot;%1&quot; to &quot;%2&quot;</source>
        <translation>Kommentar geändert von „%1“ auf „%2“</translation>
    </message>
    <message>
        <source>Stored production data replaced (%1 -&gt; %2)</source>
        <translation>Gespeicherte Produktionsdaten ersetzt (%1 -&gt; %2)</translation>
    </message>
    <message>
        <source>Data-set lock taken by %1</source>
        <translation>Datensatzsperre von %1 gesetzt</translation>
    </message>
    <message>
        <source>Data-set lock released by %1</source>
        <translation>Datensatzsperre von %1 freigegeben</translation>
    </message>
    <message>
        <source>Data-set lock taken over from %1 by %2</source>
        <translation>Datensatzsperre von %1 an %2 übernommen</translation>
    </message>
    <message>
        <source>%1: connected</source>
        <translation>%1: verbunden</translation>
    </message>
    <message>
        <source>%1: disconnected (%2)</source>
        <translation>%1: getrennt (%2)</translation>
    </message>
    <message>
        <source>Forcing switched on, value %1</source>
        <translation>Forcen eingeschaltet, Wert %1</translation>
    </message>
    <message>
        <source>Forcing switched off (%1)</source>
        <translation>Forcen ausgeschaltet (%1)</translation>
    </message>
    <message>
        <source>Forced value changed to %1</source>
        <translation>Forcewert geändert auf %1</translation>
    </message>
    <message>
        <source>The trail was found damaged before this entry: %1</source>
        <translation>Das Protokoll war vor diesem Eintrag beschädigt: %1</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;: %2</source>
        <translation>„%1“ kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Audit trail</source>
        <translation>Änderungsprotokoll</translation>
    </message>
    <message>
        <source>All modules</source>
        <translation>Alle Module</translation>
    </message>
    <message>
        <source>Slot %1</source>
        <translation>Steckplatz %1</translation>
    </message>
    <message>
        <source>All channels</source>
        <translation>Alle Kanäle</translation>
    </message>
    <message>
        <source>Module</source>
        <translation>Modul</translation>
    </message>
    <message>
        <source>Channel %1</source>
        <translation>Kanal %1</translation>
    </message>
    <message>
        <source>Any time</source>
        <translation>Jederzeit</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>Letzte Stunde</translation>
    </message>
    <message>
        <source>Last 24 hours</source>
        <translation>Letzte 24 Stunden</translation>
    </message>
    <message>
        <source>Last 7 days</source>
        <translation>Letzte 7 Tage</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Export CSV...</source>
        <translation>CSV exportieren...</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Slot</source>
        <translation>Steckplatz</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Kanal</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>Ereignis</translation>
    </message>
    <message>
        <source>Export the audit trail</source>
        <translation>Änderungsprotokoll exportieren</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Loop check %1: %2 of %3 points within %4 % of span</source>
        <translation>Schleifenprüfung %1: %2 von %3 Punkten innerhalb %4 % der Spanne</translation>
    </message>
    <message>
        <source>passed</source>
        <translation>bestanden</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>nicht bestanden</translation>
    </message>
    <message>
        <source>Observation</source>
        <translation>Beobachtung</translation>
    </message>
    <message>
        <source>Simulation</source>
        <translation>Simulation</translation>
    </message>
    <message>
        <source>Diagnosis</source>
        <translation>Diagnose</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Identifikation</translation>
    </message>
    <message>
        <source>Loop check</source>
        <translation>Schleifenprüfung</translation>
    </message>
</context>
<context>
    <name>frame::FrameWindow</name>
    <message>
        <source>Station</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>Severity</source>
        <translation>Schweregrad</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
    <message>
        <source>Errors</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exportieren...</translation>
    </message>
    <message>
        <source>Export the errors</source>
        <translation>Fehler exportieren</translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>Textdateien (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>Simulated station</source>
        <translation>Simulierte Station</translation>
    </message>
    <message>
        <source>%1 was not stored; its window stays open.</source>
        <translation>%1 wurde nicht gespeichert; das Fenster bleibt offen.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open project...</source>
        <translation>Projekt ö&amp;ffnen...</translation>
    </message>
    <message>
        <source>&amp;Reload project</source>
        <translation>Projekt &amp;neu laden</translation>
    </message>
    <message>
        <source>&amp;Save project</source>
        <translation>Projekt &amp;speichern</translation>
    </message>
    <message>
        <source>Save project &amp;as...</source>
        <translation>Projekt speichern &amp;unter...</translation>
    </message>
    <message>
        <source>Save station project as</source>
        <translation>Stationsprojekt speichern unter</translation>
    </message>
    <message>
        <source>Station projects (*.xml);;All files (*)</source>
        <translation>Stationsprojekte (*.xml);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Commissioning report…</source>
        <translation>Inbetriebnahmeprotokoll…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Page</source>
        <translation>&amp;Seite</translation>
    </message>
    <message>
        <source>&amp;Data set</source>
        <translation>Da&amp;tensatz</translation>
    </message>
    <message>
        <source>Lock as &amp;another user...</source>
        <translation>Als &amp;anderer Benutzer sperren...</translation>
    </message>
    <message>
        <source>&amp;Release the other user&apos;s lock</source>
        <translation>Sperre des anderen Benutzers &amp;freigeben</translation>
    </message>
    <message>
        <source>Ta&amp;ke over the lock as this DTM</source>
        <translation>Sperre als dieses DTM ü&amp;bernehmen</translation>
    </message>
    <message>
        <source>Lock as &amp;this DTM</source>
        <translation>Als dieses &amp;DTM sperren</translation>
    </message>
    <message>
        <source>&amp;Unlock by COMPATIBILITY</source>
        <translation>Mit COMPATIBILITY &amp;entsperren</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>S&amp;prache</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>%1 (bus address %2)</source>
        <translation>%1 (Busadresse %2)</translation>
    </message>
    <message>
        <source>Slot %1</source>
        <translation>Steckplatz %1</translation>
    </message>
    <message>
        <source>Channel %1: %2</source>
        <translation>Kanal %1: %2</translation>
    </message>
    <message>
        <source>Channel %1: in order</source>
        <translation>Kanal %1: in Ordnung</translation>
    </message>
    <message>
        <source>forced: channel %1</source>
        <translation>geforct: Kanal %1</translation>
    </message>
    <message>
        <source>Commissioning report</source>
        <translation>Inbetriebnahmeprotokoll</translation>
    </message>
    <message>
        <source>PDF (*.pdf);;HTML (*.html *.htm)</source>
        <translation>PDF-Dateien (*.pdf);;HTML-Dateien (*.html *.htm)</translation>
    </message>
    <message>
        <source>Report written to %1</source>
        <translation>Protokoll geschrieben nach %1</translation>
    </message>
    <message>
        <source>Select a module in the station tree first.</source>
        <translation>Bitte zuerst ein Modul im Stationsbaum auswählen.</translation>
    </message>
    <message>
        <source>Cannot open %1 for slot %2</source>
        <translation>%1 für Steckplatz %2 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>%1 - slot %2 - %3</source>
        <translation>%1 - Steckplatz %2 - %3</translation>
    </message>
    <message>
        <source>%1 did not release within %L2 s; its window was closed.</source>
        <translation>%1 hat sich nicht innerhalb von %L2 s freigegeben; das Fenster wurde geschlossen.</translation>
    </message>
    <message>
        <source>Slot %1: the module is still forced by an earlier Simulation page until the forcing enable lapses; this page shows only what it forces itself.</source>
        <translation>Steckplatz %1: Das Modul wird noch von einer früheren Seite Simulation geforct, bis die Forcing-Freigabe abläuft; diese Seite zeigt nur, was sie selbst forct.</translation>
    </message>
    <message>
        <source>Slot %1: the module stays forced until the forcing enable lapses, %L2 s after the last enable.</source>
        <translation>Steckplatz %1: Das Modul bleibt geforct, bis die Forcing-Freigabe abläuft, %L2 s nach der letzten Freigabe.</translation>
    </message>
    <message>
        <source>no project</source>
        <translation>kein Projekt</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Pages opened from now on use the new language.</source>
        <translation>Ab jetzt geöffnete Seiten verwenden die neue Sprache.</translation>
    </message>
    <message>
        <source>slot %1 (%2)</source>
        <translation>Steckplatz %1 (%2)</translation>
    </message>
    <message>
        <source>Slot %1: the data set is locked by %2</source>
        <translation>Steckplatz %1: Der Datensatz ist gesperrt durch %2</translation>
    </message>
    <message>
        <source>No other user holds the lock.</source>
        <translation>Kein anderer Benutzer hält die Sperre.</translation>
    </message>
    <message>
        <source>Open station project</source>
        <translation>Stationsprojekt öffnen</translation>
    </message>
    <message>
        <source>Lock the data set of %1</source>
        <translation>Datensatz von %1 sperren</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>&amp;Close window</source>
        <translation>Fenster &amp;schließen</translation>
    </message>
    <message>
        <source>&amp;Next window</source>
        <translation>&amp;Nächstes Fenster</translation>
    </message>
    <message>
        <source>&amp;Previous window</source>
        <translation>&amp;Vorheriges Fenster</translation>
    </message>
    <message>
        <source>&amp;Tile windows</source>
        <translation>Ne&amp;beneinander anordnen</translation>
    </message>
    <message>
        <source>C&amp;ascade windows</source>
        <translation>&amp;Überlappend anordnen</translation>
    </message>
    <message>
        <source>Loop check…</source>
        <translation>Schleifenprüfung…</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
</context>
<context>
    <name>frame::LoopCheckRun</name>
    <message>
        <source>The project has no module in slot %1.</source>
        <translation>Das Projekt enthält kein Modul in Steckplatz %1.</translation>
    </message>
    <message>
        <source>Loop check</source>
        <translation>Schleifenprüfung</translation>
    </message>
    <message>
        <source>The station dropped the connection to the module; the loop check was stopped. Nothing is forced and the module is no longer connected. No result was stored.</source>
        <translation>Die Station hat die Verbindung zum Modul abgebrochen; die Schleifenprüfung wurde beendet. Nichts ist geforct und das Modul ist nicht mehr verbunden. Es wurde kein Ergebnis gespeichert.</translation>
    </message>
    <message>
        <source>The module could not be connected; the loop check did not start.</source>
        <translation>Das Modul konnte nicht verbunden werden; die Schleifenprüfung hat nicht begonnen.</translation>
    </message>
    <message>
        <source>The module could not be connected (%1); the loop check did not start.</source>
        <translation>Das Modul konnte nicht verbunden werden (%1); die Schleifenprüfung hat nicht begonnen.</translation>
    </message>
    <message>
        <source>The module left the project; the results were not stored.</source>
        <translation>Das Modul ist nicht mehr im Projekt; die Ergebnisse wurden nicht gespeichert.</translation>
    </message>
    <message>
        <source>The results could not be stored: %1</source>
        <translation>Die Ergebnisse konnten nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>frame::LoopCheckWindow</name>
    <message>
        <source>passed</source>
        <translation>bestanden</translation>
    </message>
    <message>
        <source>failed: deviation beyond the tolerance</source>
        <translation>nicht bestanden: Abweichung über der Toleranz</translation>
    </message>
    <message>
        <source>failed: the channel reads invalid</source>
        <translation>nicht bestanden: der Kanal meldet ungültig</translation>
    </message>
    <message>
        <source>failed: the channel is forced</source>
        <translation>nicht bestanden: der Kanal ist geforct</translation>
    </message>
    <message>
        <source>failed: above the end of the range</source>
        <translation>nicht bestanden: über dem Bereichsende</translation>
    </message>
    <message>
        <source>failed: below the start of the range</source>
        <translation>nicht bestanden: unter dem Bereichsanfang</translation>
    </message>
    <message>
        <source>failed: no reading</source>
        <translation>nicht bestanden: kein Messwert</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>nicht bestanden: %1</translation>
    </message>
    <message>
        <source>Loop check of slot %1</source>
        <translation>Schleifenprüfung Steckplatz %1</translation>
    </message>
    <message>
        <source>Slot %1: %2</source>
        <translation>Steckplatz %1: %2</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Kanäle</translation>
    </message>
    <message>
        <source>Channel %1, %2..%3 %4</source>
        <translation>Kanal %1, %2..%3 %4</translation>
    </message>
    <message>
        <source>Test points (% of span)</source>
        <translation>Prüfpunkte (% der Spanne)</translation>
    </message>
    <message>
        <source>Tolerance (% of span)</source>
        <translation>Toleranz (% der Spanne)</translation>
    </message>
    <message>
        <source>Settling time</source>
        <translation>Einschwingzeit</translation>
    </message>
    <message>
        <source>Reads per point (mean)</source>
        <translation>Messungen je Punkt (Mittelwert)</translation>
    </message>
    <message>
        <source>the channel&apos;s unit</source>
        <translation>Einheit des Kanals</translation>
    </message>
    <message>
        <source>% of span</source>
        <translation>% der Spanne</translation>
    </message>
    <message>
        <source>Values in</source>
        <translation>Werte in</translation>
    </message>
    <message>
        <source>Set the station&apos;s input for me (simulated station)</source>
        <translation>Eingang der Station für mich setzen (simulierte Station)</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Kanal</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>Punkt</translation>
    </message>
    <message>
        <source>Expected</source>
        <translation>Soll</translation>
    </message>
    <message>
        <source>Measured</source>
        <translation>Gemessen</translation>
    </message>
    <message>
        <source>Deviation</source>
        <translation>Abweichung</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>The test points are numbers from 0 to 100, separated by &quot;;&quot;; &quot;%1&quot; is not one.</source>
        <translation>Prüfpunkte sind Zahlen von 0 bis 100, getrennt durch „;“; „%1“ ist keine.</translation>
    </message>
    <message>
        <source>Choose at least one channel.</source>
        <translation>Bitte mindestens einen Kanal wählen.</translation>
    </message>
    <message>
        <source>Apply %1 %2 at the terminals of channel %3, then press Continue.</source>
        <translation>Bitte %1 %2 an den Klemmen von Kanal %3 anlegen, dann Weiter drücken.</translation>
    </message>
    <message>
        <source>Waiting for the signal.</source>
        <translation>Warten auf das Signal.</translation>
    </message>
    <message>
        <source>Settling for %1 s, then reading.</source>
        <translation>Einschwingen für %1 s, dann Messen.</translation>
    </message>
    <message>
        <source>Connecting to the module…</source>
        <translation>Verbindung zum Modul wird aufgebaut…</translation>
    </message>
    <message>
        <source>Cancelling: disconnecting from the module…</source>
        <translation>Abbruch: Verbindung zum Modul wird getrennt…</translation>
    </message>
    <message>
        <source>The loop check was cancelled; nothing was stored. The module is disconnected.</source>
        <translation>Die Schleifenprüfung wurde abgebrochen; es wurde nichts gespeichert. Das Modul ist getrennt.</translation>
    </message>
    <message>
        <source>Loop check passed: all %1 points within the tolerance.</source>
        <translation>Schleifenprüfung bestanden: alle %1 Punkte innerhalb der Toleranz.</translation>
    </message>
    <message>
        <source>Loop check failed: %1 of %2 points failed.</source>
        <translation>Schleifenprüfung nicht bestanden: %1 von %2 Punkten nicht bestanden.</translation>
    </message>
    <message>
        <source>Latest stored results.</source>
        <translation>Zuletzt gespeicherte Ergebnisse.</translation>
    </message>
</context>
<context>
    <name>frame::ModuleStates</name>
    <message>
        <source>invalid value</source>
        <translation>ungültiger Wert</translation>
    </message>
    <message>
        <source>short circuit</source>
        <translation>Kurzschluss</translation>
    </message>
    <message>
        <source>open line</source>
        <translation>Drahtbruch</translation>
    </message>
    <message>
        <source>overrange</source>
        <translation>Bereichsüberschreitung</translation>
    </message>
    <message>
        <source>underrange</source>
        <translation>Bereichsunterschreitung</translation>
    </message>
    <message>
        <source>channel error %1</source>
        <translation>Kanalfehler %1</translation>
    </message>
    <message>
        <source>online</source>
        <translation>online</translation>
    </message>
    <message>
        <source>offline</source>
        <translation>offline</translation>
    </message>
    <message>
        <source>module fault %1</source>
        <translation>Modulfehler %1</translation>
    </message>
    <message>
        <source>channel %1: %2</source>
        <translation>Kanal %1: %2</translation>
    </message>
    <message>
        <source>forced %1</source>
        <translation>geforct %1</translation>
    </message>
    <message>
        <source>locked by %1</source>
        <translation>gesperrt durch %1</translation>
    </message>
</context>
<context>
    <name>frame::OpenPage</name>
    <message>
        <source>%1 of slot %2</source>
        <translation>%1 von Steckplatz %2</translation>
    </message>
</context>
<context>
    <name>frame::PageRegistry</name>
    <message>
        <source>Parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Observation</source>
        <translation>Beobachtung</translation>
    </message>
    <message>
        <source>Simulation</source>
        <translation>Simulation</translation>
    </message>
    <message>
        <source>Diagnosis</source>
        <translation>Diagnose</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Identifikation</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
</context>
<context>
    <name>frame::StationPanel</name>
    <message>
        <source>Input signals (percent of the channel&apos;s range)</source>
        <translation>Eingangssignale (Prozent des Kanalbereichs)</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>Kanal</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>Amplitude</source>
        <translation>Amplitude</translation>
    </message>
    <message>
        <source>Period ms</source>
        <translation>Periode ms</translation>
    </message>
    <message>
        <source>Open line</source>
        <translation>Drahtbruch</translation>
    </message>
    <message>
        <source>Short circuit</source>
        <translation>Kurzschluss</translation>
    </message>
    <message>
        <source>Constant</source>
        <translation>Konstant</translation>
    </message>
    <message>
        <source>Ramp</source>
        <translation>Rampe</translation>
    </message>
    <message>
        <source>Sine</source>
        <translation>Sinus</translation>
    </message>
    <message>
        <source>Noise</source>
        <translation>Rauschen</translation>
    </message>
    <message>
        <source>Communication faults</source>
        <translation>Kommunikationsfehler</translation>
    </message>
    <message>
        <source>Station answers connects</source>
        <translation>Station beantwortet Verbindungsaufbau</translation>
    </message>
    <message>
        <source>Abort connections now</source>
        <translation>Verbindungen jetzt abbrechen</translation>
    </message>
    <message>
        <source>Answer latency</source>
        <translation>Antwortverzögerung</translation>
    </message>
    <message>
        <source>Answer timeout</source>
        <translation>Antwort-Zeitlimit</translation>
    </message>
    <message>
        <source>Delay of a delayed answer</source>
        <translation>Verzögerung einer verzögerten Antwort</translation>
    </message>
    <message>
        <source>Refuse the next request</source>
        <translation>Nächste Anfrage ablehnen</translation>
    </message>
    <message>
        <source>Delay the next answer</source>
        <translation>Nächste Antwort verzögern</translation>
    </message>
    <message>
        <source>Drop the next answer</source>
        <translation>Nächste Antwort verwerfen</translation>
    </message>
    <message>
        <source>Foreign invoke id on the next answer</source>
        <translation>Fremde Invoke-ID in der nächsten Antwort</translation>
    </message>
    <message>
        <source>Unreadable next answer</source>
        <translation>Nächste Antwort unlesbar</translation>
    </message>
    <message>
        <source>Error part in the next answer</source>
        <translation>Fehlerteil in der nächsten Antwort</translation>
    </message>
    <message>
        <source>No data part in the next read answer</source>
        <translation>Kein Datenteil in der nächsten Leseantwort</translation>
    </message>
    <message>
        <source>every time</source>
        <translation>jedes Mal</translation>
    </message>
    <message>
        <source>No module selected</source>
        <translation>Kein Modul ausgewählt</translation>
    </message>
    <message>
        <source>Module in slot %1</source>
        <translation>Modul in Steckplatz %1</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Identifikation</translation>
    </message>
    <message>
        <source>DTM online (state value 6: Identification connects when it opens)</source>
        <translation>DTM online (Zustandswert 6: Identifikation verbindet sich beim Öffnen)</translation>
    </message>
    <message>
        <source>Charge code</source>
        <translation>Chargennummer</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Software revision</source>
        <translation>Softwarestand</translation>
    </message>
    <message>
        <source>Hardware revision</source>
        <translation>Hardwarestand</translation>
    </message>
    <message>
        <source>Date of the last refresh</source>
        <translation>Datum der letzten Aktualisierung</translation>
    </message>
    <message>
        <source>yyyy-mm-dd, empty: none</source>
        <translation>jjjj-mm-tt, leer: keines</translation>
    </message>
    <message>
        <source>Diagnosis</source>
        <translation>Diagnose</translation>
    </message>
    <message>
        <source>0: module in order</source>
        <translation>0: Modul in Ordnung</translation>
    </message>
    <message>
        <source>1: internal module fault</source>
        <translation>1: interner Modulfehler</translation>
    </message>
    <message>
        <source>2: wrong module in slot</source>
        <translation>2: falsches Modul gesteckt</translation>
    </message>
    <message>
        <source>3: module not configured</source>
        <translation>3: Modul nicht parametriert</translation>
    </message>
    <message>
        <source>Module code</source>
        <translation>Modulcode</translation>
    </message>
    <message>
        <source>Raw telegram</source>
        <translation>Rohtelegramm</translation>
    </message>
    <message>
        <source>hexadecimal bytes, e.g. 00 31 21</source>
        <translation>hexadezimale Bytes, z. B. 00 31 21</translation>
    </message>
    <message>
        <source>Answered to the diagnosis read in place of the telegram of the faults: the module code, then one byte per entry, channel number in the high nibble, error code in the low nibble.</source>
        <translation>Wird statt des Telegramms der Fehler auf das Lesen der Diagnose geantwortet: der Modulcode, dann ein Byte je Eintrag, Kanalnummer im oberen Halbbyte, Fehlercode im unteren Halbbyte.</translation>
    </message>
    <message>
        <source>Input error</source>
        <translation>Eingangsfehler</translation>
    </message>
</context>
<context>
    <name>frame::UnsavedChanges</name>
    <message>
        <source>The station project holds changes that could not be written to &quot;%1&quot;. Save them now?</source>
        <translation>Das Stationsprojekt enthält Änderungen, die nicht nach „%1“ geschrieben werden konnten. Jetzt speichern?</translation>
    </message>
    <message>
        <source>Unsaved project changes</source>
        <translation>Nicht gespeicherte Projektänderungen</translation>
    </message>
</context>
<context>
    <name>host::AuditTrail</name>
    <message>
        <source>entry %1 was changed after it was written</source>
        <translation>Eintrag %1 wurde nach dem Schreiben geändert</translation>
    </message>
    <message>
        <source>entries %1 to %2 was changed after it was written</source>
        <translation>Einträge %1 bis %2 wurden nach dem Schreiben geändert</translation>
    </message>
    <message>
        <source>entry %1 was removed</source>
        <translation>Eintrag %1 wurde entfernt</translation>
    </message>
    <message>
        <source>entries %1 to %2 were removed</source>
        <translation>Einträge %1 bis %2 wurden entfernt</translation>
    </message>
    <message>
        <source>the last entry %1 was removed</source>
        <translation>der letzte Eintrag %1 wurde entfernt</translation>
    </message>
    <message>
        <source>the last entries %1 to %2 were removed</source>
        <translation>die letzten Einträge %1 bis %2 wurden entfernt</translation>
    </message>
    <message>
        <source>the chain is broken before entry %1</source>
        <translation>die Kette ist vor Eintrag %1 unterbrochen</translation>
    </message>
    <message>
        <source>The audit trail &quot;%1&quot; cannot be opened (%2).</source>
        <translation>Das Änderungsprotokoll „%1“ kann nicht geöffnet werden (%2).</translation>
    </message>
    <message>
        <source>The audit trail &quot;%1&quot; cannot be used (%2). It is kept as it is; new entries go to &quot;%3&quot;.</source>
        <translation>Das Änderungsprotokoll „%1“ kann nicht verwendet werden (%2). Es bleibt unverändert; neue Einträge gehen nach „%3“.</translation>
    </message>
    <message>
        <source>No audit trail could be opened beside &quot;%1&quot;; changes are not recorded.</source>
        <translation>Neben „%1“ konnte kein Änderungsprotokoll geöffnet werden; Änderungen werden nicht protokolliert.</translation>
    </message>
    <message>
        <source>Audit trail &quot;%1&quot;: %2.</source>
        <translation>Änderungsprotokoll „%1“: %2.</translation>
    </message>
    <message>
        <source>Audit trail &quot;%1&quot;: the damaged part is kept as it is; new entries follow a marked break.</source>
        <translation>Änderungsprotokoll „%1“: Der beschädigte Teil bleibt unverändert; neue Einträge folgen nach einer markierten Unterbrechung.</translation>
    </message>
    <message>
        <source>Audit trail &quot;%1&quot;: the break could not be marked (%2).</source>
        <translation>Änderungsprotokoll „%1“: Die Unterbrechung konnte nicht markiert werden (%2).</translation>
    </message>
    <message>
        <source>not an audit trail file</source>
        <translation>keine Änderungsprotokolldatei</translation>
    </message>
    <message>
        <source>the SQLite driver of Qt SQL is missing</source>
        <translation>der SQLite-Treiber von Qt SQL fehlt</translation>
    </message>
    <message>
        <source>written by a newer version (format %1)</source>
        <translation>von einer neueren Version geschrieben (Format %1)</translation>
    </message>
    <message>
        <source>no audit trail is open</source>
        <translation>kein Änderungsprotokoll geöffnet</translation>
    </message>
    <message>
        <source>Audit trail &quot;%1&quot;: the entry %2 could not be stored (%3).</source>
        <translation>Änderungsprotokoll „%1“: Der Eintrag %2 konnte nicht gespeichert werden (%3).</translation>
    </message>
</context>
<context>
    <name>host::CommunicationService</name>
    <message>
        <source>No answer within %1 ms</source>
        <translation>Keine Antwort innerhalb von %1 ms</translation>
    </message>
    <message>
        <source>Station %1 does not answer</source>
        <translation>Station %1 antwortet nicht</translation>
    </message>
    <message>
        <source>Simulated write error</source>
        <translation>Simulierter Schreibfehler</translation>
    </message>
    <message>
        <source>Simulated read error</source>
        <translation>Simulierter Lesefehler</translation>
    </message>
    <message>
        <source>The station is gone</source>
        <translation>Die Station ist nicht mehr vorhanden</translation>
    </message>
</context>
<context>
    <name>host::FdtChannels</name>
    <message>
        <source>No channel document for tag &quot;%1&quot;</source>
        <translation>Kein Kanaldokument für die Kennung „%1“</translation>
    </message>
</context>
<context>
    <name>host::ParameterManager</name>
    <message>
        <source>No data set document for tag &quot;%1&quot;</source>
        <translation>Kein Datensatzdokument für die Kennung „%1“</translation>
    </message>
    <message>
        <source>Not stored: the module in slot %1 is no longer in the station project &quot;%2&quot;.</source>
        <translation>Nicht gespeichert: Das Modul in Steckplatz %1 ist nicht mehr im Stationsprojekt „%2“.</translation>
    </message>
    <message>
        <source>Not stored: the data set is locked by %1.</source>
        <translation>Nicht gespeichert: Der Datensatz ist von %1 gesperrt.</translation>
    </message>
</context>
<context>
    <name>host::SimulatedStation</name>
    <message>
        <source>Slot %1 cannot hold a module; modules sit in slots 1 to 255</source>
        <translation>Steckplatz %1 kann kein Modul aufnehmen; Module stecken in den Steckplätzen 1 bis 255</translation>
    </message>
    <message>
        <source>A QT27 has the type code 37 or 54, not %1</source>
        <translation>Ein QT27 hat den Typcode 37 oder 54, nicht %1</translation>
    </message>
    <message>
        <source>Slot %1 holds no module</source>
        <translation>Steckplatz %1 enthält kein Modul</translation>
    </message>
    <message>
        <source>Channel index %1 is outside 0 to %2</source>
        <translation>Kanalindex %1 liegt außerhalb von 0 bis %2</translation>
    </message>
    <message>
        <source>Read of an empty slot (%1)</source>
        <translation>Lesen eines leeren Steckplatzes (%1)</translation>
    </message>
    <message>
        <source>Read of an invalid index (%1)</source>
        <translation>Lesen eines ungültigen Index (%1)</translation>
    </message>
    <message>
        <source>Read error: %1</source>
        <translation>Lesefehler: %1</translation>
    </message>
    <message>
        <source>Write to an empty slot (%1)</source>
        <translation>Schreiben auf einen leeren Steckplatz (%1)</translation>
    </message>
    <message>
        <source>Write length error: a force telegram has %1 bytes, this one %2</source>
        <translation>Schreiblängenfehler: Ein Force-Telegramm hat %1 Bytes, dieses %2</translation>
    </message>
    <message>
        <source>Write length error: the forcing enable is empty</source>
        <translation>Schreiblängenfehler: Die Forcing-Freigabe ist leer</translation>
    </message>
    <message>
        <source>Write to an invalid index (%1)</source>
        <translation>Schreiben auf einen ungültigen Index (%1)</translation>
    </message>
</context>
<context>
    <name>host::Station</name>
    <message>
        <source>Station project file &quot;%1&quot;</source>
        <translation>Stationsprojektdatei „%1“</translation>
    </message>
    <message>
        <source>%1 has no module in slot %2</source>
        <translation>%1 enthält kein Modul in Steckplatz %2</translation>
    </message>
    <message>
        <source>The station project was not written: no project file is open.</source>
        <translation>Das Stationsprojekt wurde nicht geschrieben: Es ist keine Projektdatei geöffnet.</translation>
    </message>
    <message>
        <source>%1 was not written: it could not be read and stays untouched until it is reloaded (%2)</source>
        <translation>%1 wurde nicht geschrieben: Sie konnte nicht gelesen werden und bleibt unverändert, bis sie neu geladen wird (%2)</translation>
    </message>
    <message>
        <source>%1 was not written: it cannot be read to check it first: %2</source>
        <translation>%1 wurde nicht geschrieben: Sie kann zur vorherigen Prüfung nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 was not written: it was changed by someone else since it was read. Reload it; the changes made here are kept in memory until then.</source>
        <translation>%1 wurde nicht geschrieben: Sie wurde seit dem Lesen von jemand anderem geändert. Bitte neu laden; die hier gemachten Änderungen bleiben bis dahin im Speicher.</translation>
    </message>
</context>
<context>
    <name>host::StationProject</name>
    <message>
        <source>Station project file &quot;%1&quot;</source>
        <translation>Stationsprojektdatei „%1“</translation>
    </message>
    <message>
        <source>has no %1 element</source>
        <translation>hat kein %1-Element</translation>
    </message>
    <message>
        <source>the root element is &lt;%1&gt;, expected &lt;%2&gt;</source>
        <translation>das Wurzelelement ist &lt;%1&gt;, erwartet wurde &lt;%2&gt;</translation>
    </message>
    <message>
        <source>slot %1 appears twice (first at line %2)</source>
        <translation>Steckplatz %1 kommt doppelt vor (zuerst in Zeile %2)</translation>
    </message>
    <message>
        <source>channel %1 of slot %2 appears twice</source>
        <translation>Kanal %1 von Steckplatz %2 kommt doppelt vor</translation>
    </message>
    <message>
        <source>the loop check of channel %1 of slot %2 appears twice</source>
        <translation>die Schleifenprüfung von Kanal %1 in Steckplatz %2 kommt doppelt vor</translation>
    </message>
    <message>
        <source>slot %1 has more than one &lt;%2&gt; element</source>
        <translation>Steckplatz %1 hat mehr als ein &lt;%2&gt;-Element</translation>
    </message>
    <message>
        <source>the module in slot %1 has no &lt;%2&gt; element</source>
        <translation>das Modul in Steckplatz %1 hat kein &lt;%2&gt;-Element</translation>
    </message>
    <message>
        <source>attribute &quot;%1&quot; of &lt;%2&gt; is not a number: &quot;%3&quot;</source>
        <translation>Attribut „%1“ von &lt;%2&gt; ist keine Zahl: „%3“</translation>
    </message>
    <message>
        <source>attribute &quot;%1&quot; of &lt;%2&gt; is not a time: &quot;%3&quot;</source>
        <translation>Attribut „%1“ von &lt;%2&gt; ist keine Zeitangabe: „%3“</translation>
    </message>
    <message>
        <source>unexpected text &quot;%1&quot;</source>
        <translation>unerwarteter Text „%1“</translation>
    </message>
    <message>
        <source>&lt;%1&gt; has an unknown attribute &quot;%2&quot;</source>
        <translation>&lt;%1&gt; hat ein unbekanntes Attribut „%2“</translation>
    </message>
    <message>
        <source>&lt;%1&gt; has no attribute &quot;%2&quot;</source>
        <translation>&lt;%1&gt; hat kein Attribut „%2“</translation>
    </message>
    <message>
        <source>attribute &quot;%1&quot; of &lt;%2&gt; is not a whole number: &quot;%3&quot;</source>
        <translation>Attribut „%1“ von &lt;%2&gt; ist keine ganze Zahl: „%3“</translation>
    </message>
    <message>
        <source>attribute &quot;%1&quot; of &lt;%2&gt; is %3, outside %4 to %5</source>
        <translation>Attribut „%1“ von &lt;%2&gt; ist %3, außerhalb von %4 bis %5</translation>
    </message>
    <message>
        <source>attribute &quot;%1&quot; of &lt;%2&gt; is not hexadecimal bytes (two digits per byte): &quot;%3&quot;</source>
        <translation>Attribut „%1“ von &lt;%2&gt; sind keine hexadezimalen Bytes (zwei Ziffern je Byte): „%3“</translation>
    </message>
    <message>
        <source>unknown element &lt;%1&gt;</source>
        <translation>unbekanntes Element &lt;%1&gt;</translation>
    </message>
    <message>
        <source>%1 is not well-formed: %2 (line %3, column %4)</source>
        <translation>%1 ist nicht wohlgeformt: %2 (Zeile %3, Spalte %4)</translation>
    </message>
    <message>
        <source>%1, line %2: %3</source>
        <translation>%1, Zeile %2: %3</translation>
    </message>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 existiert nicht</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is larger than %2 MiB; it is not a station project</source>
        <translation>%1 ist größer als %2 MiB; sie ist kein Stationsprojekt</translation>
    </message>
    <message>
        <source>%1 is empty</source>
        <translation>%1 ist leer</translation>
    </message>
    <message>
        <source>the station project holds characters that cannot be stored in XML</source>
        <translation>das Stationsprojekt enthält Zeichen, die nicht in XML gespeichert werden können</translation>
    </message>
    <message>
        <source>%1 was not written: %2</source>
        <translation>%1 wurde nicht geschrieben: %2</translation>
    </message>
    <message>
        <source>the project would not read back unchanged</source>
        <translation>das Projekt ließe sich nicht unverändert zurücklesen</translation>
    </message>
    <message>
        <source>only %1 of %2 bytes could be written</source>
        <translation>nur %1 von %2 Bytes konnten geschrieben werden</translation>
    </message>
    <message>
        <source>%1 was not written: the folder &quot;%2&quot; cannot be created</source>
        <translation>%1 wurde nicht geschrieben: Der Ordner „%2“ kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Opens the QT27 pages on a simulated rimox station.</source>
        <translation>Öffnet die QT27-Seiten auf einer simulierten rimox-Station.</translation>
    </message>
    <message>
        <source>Station project file (default: %1).</source>
        <translation>Stationsprojektdatei (Vorgabe: %1).</translation>
    </message>
    <message>
        <source>Render every page of every module to DIR/&lt;slot&gt;-&lt;page&gt;.png and the frame window with the pages of the module with a channel fault open to DIR/frame-&lt;language&gt;-&lt;percent&gt;.png without a display, then exit.</source>
        <translation>Jede Seite jedes Moduls nach DIR/&lt;slot&gt;-&lt;page&gt;.png und das Rahmenfenster mit den geöffneten Seiten des Moduls mit Kanalfehler nach DIR/frame-&lt;language&gt;-&lt;percent&gt;.png zeichnen, ohne Bildschirm, dann beenden.</translation>
    </message>
    <message>
        <source>Language of the frame and the pages: en or de (default: the system&apos;s language, %1 here).</source>
        <translation>Sprache des Rahmens und der Seiten: en oder de (Vorgabe: die Sprache des Systems, hier %1).</translation>
    </message>
    <message>
        <source>Write the commissioning report of one module to FILE (PDF for .pdf, else HTML), then exit.</source>
        <translation>Das Inbetriebnahmeprotokoll eines Moduls nach FILE schreiben (PDF für .pdf, sonst HTML), dann beenden.</translation>
    </message>
    <message>
        <source>Slot of the module for --report (default: the first module).</source>
        <translation>Steckplatz des Moduls für --report (Vorgabe: das erste Modul).</translation>
    </message>
</context>
</TS>
