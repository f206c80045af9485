<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>corvath</name>
    <message>
        <source>Configure</source>
        <translation>&amp;Konfigurieren</translation>
    </message>
    <message>
        <source>Next &gt;</source>
        <translation>&amp;Weiter &gt;</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Select drives to analyze</source>
        <translation>Zu analysierende Laufwerke auswählen</translation>
    </message>
    <message>
        <source>Select drives from the following list, and click on Next &gt;</source>
        <translation>Laufwerke in der Liste wählen und auf Weiter &gt; klicken</translation>
    </message>
    <message>
        <source>Remember these settings</source>
        <translation>Diese &amp;Einstellungen merken</translation>
    </message>
    <message>
        <source>Loading local disks...please wait...</source>
        <translation>Lokale Datenträger werden geladen...bitte warten...</translation>
    </message>
    <message>
        <source>Close this dialog box when disk analysis is complete</source>
        <translation>&amp;Dialogfeld schließen, wenn die Analyse abgeschlossen ist</translation>
    </message>
    <message>
        <source>Overall progress</source>
        <translation>Gesamtfortschritt</translation>
    </message>
    <message>
        <source>Analyzing drive </source>
        <translation>Analysiere Laufwerk </translation>
    </message>
    <message>
        <source>Analyzing</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>Analyzing...</source>
        <translation>Analyse läuft...</translation>
    </message>
    <message>
        <source>Corvath is currently analyzing your disk...Please wait...</source>
        <translation>Corvath analysiert Ihren Datenträger...Bitte warten...</translation>
    </message>
    <message>
        <source>Analyzing...Done</source>
        <translation>Analyse...Fertig</translation>
    </message>
    <message>
        <source>Corvath has finished analyzing your disk.</source>
        <translation>Corvath hat die Analyse Ihres Datenträgers abgeschlossen.</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>&amp;Fertig</translation>
    </message>
    <message>
        <source>Disk %1 of %2</source>
        <translation>Datenträger %1 von %2</translation>
    </message>
    <message>
        <source>Scanning %1</source>
        <translation>Durchsuche %1</translation>
    </message>
    <message>
        <source>%1 files, %2 folders </source>
        <translation>%1 Dateien, %2 Ordner </translation>
    </message>
    <message>
        <source>Are you sure you want to cancel the Corvath Analyzer process?</source>
        <translation>Möchten Sie den Vorgang von Corvath Analyzer wirklich abbrechen?</translation>
    </message>
    <message>
        <source>The selected drives are not accessible and cannot be analyzed: 
%1</source>
        <translation>Auf die ausgewählten Laufwerke kann nicht zugegriffen werden, sie können nicht analysiert werden: 
%1</translation>
    </message>
    <message>
        <source>The following drives are not accessible and will not be analyzed: 
%1</source>
        <translation>Auf die folgenden Laufwerke kann nicht zugegriffen werden, sie werden nicht analysiert: 
%1</translation>
    </message>
    <message>
        <source>The analysis engine is not available.</source>
        <translation>Das Analysemodul ist nicht verfügbar.</translation>
    </message>
    <message>
        <source>The analysis engine reported a failure.</source>
        <translation>Das Analysemodul hat einen Fehler gemeldet.</translation>
    </message>
    <message>
        <source>An unexpected error ended the operation.</source>
        <translation>Ein unerwarteter Fehler hat den Vorgang beendet.</translation>
    </message>
    <message>
        <source>Configure %1</source>
        <translation>%1 konfigurieren</translation>
    </message>
    <message>
        <source>Local Disk (%1)</source>
        <translation>Lokaler Datenträger (%1)</translation>
    </message>
    <message>
        <source>Removable Disk (%1)</source>
        <translation>Wechseldatenträger (%1)</translation>
    </message>
    <message>
        <source>Network Drive (%1)</source>
        <translation>Netzlaufwerk (%1)</translation>
    </message>
    <message>
        <source>CD Drive (%1)</source>
        <translation>CD-Laufwerk (%1)</translation>
    </message>
    <message>
        <source>RAM Disk (%1)</source>
        <translation>RAM-Disk (%1)</translation>
    </message>
    <message>
        <source>Drives to analyze</source>
        <translation>Zu analysierende Laufwerke</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>%1, cannot be read</source>
        <translation>%1, nicht lesbar</translation>
    </message>
    <message>
        <source>Progress of the current drive</source>
        <translation>Fortschritt des aktuellen Laufwerks</translation>
    </message>
    <message>
        <source>Corvath Analyzer banner</source>
        <translation>Banner von Corvath Analyzer</translation>
    </message>
</context>
</TS>
