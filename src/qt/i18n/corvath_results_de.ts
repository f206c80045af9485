<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>QObject</name>
    <message>
        <source>at least %1</source>
        <translation>mindestens %1</translation>
    </message>
    <message>
        <source>%1 when scanned on %2</source>
        <translation>%1 beim Scan am %2</translation>
    </message>
    <message>
        <source>it does not lie below the drive&apos;s root</source>
        <translation>es liegt nicht unterhalb der Wurzel des Laufwerks</translation>
    </message>
    <message>
        <source>it is no longer there</source>
        <translation>es ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>%1 is no longer there</source>
        <translation>%1 ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>%1 is a symbolic link, which is never followed</source>
        <translation>%1 ist eine symbolische Verknüpfung, der nie gefolgt wird</translation>
    </message>
    <message>
        <source>%1 is no longer a folder</source>
        <translation>%1 ist kein Ordner mehr</translation>
    </message>
    <message>
        <source>it is a folder now</source>
        <translation>es ist jetzt ein Ordner</translation>
    </message>
    <message>
        <source>another filesystem is mounted at %1</source>
        <translation>an %1 ist ein anderes Dateisystem eingehängt</translation>
    </message>
    <message>
        <source>another filesystem is mounted inside it, at %1</source>
        <translation>darin ist ein anderes Dateisystem eingehängt, an %1</translation>
    </message>
    <message>
        <source>another item took its place while it was being moved</source>
        <translation>ein anderes Objekt hat beim Verschieben seinen Platz eingenommen</translation>
    </message>
    <message>
        <source>the trash folder %1 cannot be used: %2</source>
        <translation>der Papierkorb-Ordner %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>the drive has not answered for %1; it may still be moved when it does</source>
        <translation>das Laufwerk antwortet seit %1 nicht; es wird womöglich noch verschoben, sobald es antwortet</translation>
    </message>
    <message>
        <source>moving it failed: %1</source>
        <translation>das Verschieben ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1 was not moved to the trash: %2.</source>
        <translation>%1 wurde nicht in den Papierkorb verschoben: %2.</translation>
    </message>
    <message>
        <source>Move “%1” (%2) to the trash?</source>
        <translation>„%1“ (%2) in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <source>The folder %1 and everything in it can be restored from the trash until the trash is emptied.</source>
        <translation>Der Ordner %1 und alles darin lässt sich aus dem Papierkorb wiederherstellen, bis der Papierkorb geleert wird.</translation>
    </message>
    <message>
        <source>The file %1 can be restored from the trash until the trash is emptied.</source>
        <translation>Die Datei %1 lässt sich aus dem Papierkorb wiederherstellen, bis der Papierkorb geleert wird.</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
</context>
<context>
    <name>corvath::QtExcludesDialog</name>
    <message>
        <source>Excluded Folders</source>
        <translation>Ausgeschlossene Ordner</translation>
    </message>
    <message>
        <source>Folders to leave out of every drive&apos;s scans, one pattern per line, as in a .gitignore file: a name such as &lt;b&gt;node_modules&lt;/b&gt; at any depth, a path from the drive&apos;s root such as &lt;b&gt;/var/tmp&lt;/b&gt;, with &lt;b&gt;*&lt;/b&gt;, &lt;b&gt;?&lt;/b&gt; and &lt;b&gt;**&lt;/b&gt;. A folder left out is not entered and has no size. They apply from the next scan.</source>
        <translation>Ordner, die bei den Scans aller Laufwerke ausgelassen werden, ein Muster je Zeile wie in einer .gitignore-Datei: ein Name wie &lt;b&gt;node_modules&lt;/b&gt; in jeder Tiefe, ein Pfad ab der Wurzel des Laufwerks wie &lt;b&gt;/var/tmp&lt;/b&gt;, mit &lt;b&gt;*&lt;/b&gt;, &lt;b&gt;?&lt;/b&gt; und &lt;b&gt;**&lt;/b&gt;. Ein ausgelassener Ordner wird nicht betreten und hat keine Größe. Sie gelten ab dem nächsten Scan.</translation>
    </message>
    <message>
        <source>Excluded folders, one pattern per line</source>
        <translation>Ausgeschlossene Ordner, ein Muster je Zeile</translation>
    </message>
    <message>
        <source>The excluded folders could not be saved: the settings key HKCU\%1 is missing or cannot be written.</source>
        <translation>Die ausgeschlossenen Ordner konnten nicht gespeichert werden: Der Einstellungsschlüssel HKCU\%1 fehlt oder kann nicht geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>corvath::QtFolderTreeModel</name>
    <message>
        <source> (gone)</source>
        <translation> (entfernt)</translation>
    </message>
    <message>
        <source> (new)</source>
        <translation> (neu)</translation>
    </message>
    <message>
        <source>%1 (moved to the trash)</source>
        <translation>%1 (in den Papierkorb verschoben)</translation>
    </message>
    <message>
        <source>%1 (gone since the earlier scan)</source>
        <translation>%1 (seit dem früheren Scan entfernt)</translation>
    </message>
    <message>
        <source>%1 (could not be read in full)</source>
        <translation>%1 (konnte nicht vollständig gelesen werden)</translation>
    </message>
    <message>
        <source>%1 (another filesystem, not entered)</source>
        <translation>%1 (anderes Dateisystem, nicht betreten)</translation>
    </message>
    <message>
        <source>%1 (left out by an exclude pattern, not entered)</source>
        <translation>%1 (durch ein Ausschlussmuster ausgelassen, nicht betreten)</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Share of parent</source>
        <translation>Anteil</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
</context>
<context>
    <name>corvath::QtHistoryChart</name>
    <message>
        <source>Used space over the scans</source>
        <translation>Belegter Platz über die Scans</translation>
    </message>
    <message>
        <source>Scans of this drive</source>
        <translation>Scans dieses Laufwerks</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Beendet</translation>
    </message>
    <message>
        <source>Counted</source>
        <translation>Gezählt</translation>
    </message>
    <message>
        <source>In use on the drive</source>
        <translation>Auf dem Laufwerk belegt</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>No scans of this drive</source>
        <translation>Keine Scans dieses Laufwerks</translation>
    </message>
    <message>
        <source>Used space of %1 over its scans</source>
        <translation>Belegter Platz von %1 über seine Scans</translation>
    </message>
    <message>
        <source>Used (%1)</source>
        <translation>Belegt (%1)</translation>
    </message>
    <message>
        <source>not recorded</source>
        <translation>nicht erfasst</translation>
    </message>
    <message>
        <source>Scans from %1 to %2: %3; the table below lists each</source>
        <translation>Scans von %1 bis %2: %3; die Tabelle darunter führt jeden auf</translation>
    </message>
    <message>
        <source>History of the drive</source>
        <translation>Verlauf des Laufwerks</translation>
    </message>
    <message>
        <source>Chart and table of the scans</source>
        <translation>Diagramm und Tabelle der Scans</translation>
    </message>
    <message>
        <source>Divider between the chart and the table</source>
        <translation>Trenner zwischen Diagramm und Tabelle</translation>
    </message>
    <message>
        <source>Chart</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <source>none, the first scan</source>
        <translation>keine, der erste Scan</translation>
    </message>
</context>
<context>
    <name>corvath::QtLargestFilesModel</name>
    <message>
        <source>%1 (moved to the trash)</source>
        <translation>%1 (in den Papierkorb verschoben)</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
</context>
<context>
    <name>corvath::QtRescanDialog</name>
    <message>
        <source>Analyzing %1...</source>
        <translation>%1 wird analysiert...</translation>
    </message>
    <message>
        <source>Share of the last scan&apos;s bytes counted so far</source>
        <translation>Anteil der Bytes des letzten Scans, der bisher gezählt ist</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Wird abgebrochen...</translation>
    </message>
    <message>
        <source>Storing the results...</source>
        <translation>Die Ergebnisse werden gespeichert...</translation>
    </message>
</context>
<context>
    <name>corvath::QtResultsWindow</name>
    <message>
        <source>Analyze a drive first: start Corvath Analyzer and choose the drives to analyze, or run &quot;corvath-analyzer -auto&quot; to analyze the remembered drives without a window. The results appear here.</source>
        <translation>Analysieren Sie zuerst ein Laufwerk: Starten Sie Corvath Analyzer und wählen Sie die zu analysierenden Laufwerke, oder führen Sie &quot;corvath-analyzer -auto&quot; aus, um die gemerkten Laufwerke ohne Fenster zu analysieren. Die Ergebnisse erscheinen hier.</translation>
    </message>
    <message>
        <source>The scans cannot be shown: %1</source>
        <translation>Die Scans können nicht angezeigt werden: %1</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source> (latest)</source>
        <translation> (neuester)</translation>
    </message>
    <message>
        <source>Nothing</source>
        <translation>Nichts</translation>
    </message>
    <message>
        <source>The largest files in %1, of the %2 largest the scan keeps</source>
        <translation>Die größten Dateien in %1, von den %2 größten, die der Scan aufbewahrt</translation>
    </message>
    <message>
        <source>%1: %2 used by %3 files in %4 folders, scanned %5 in %6</source>
        <translation>%1: %2 belegt von %3 Dateien in %4 Ordnern, gescannt am %5 in %6</translation>
    </message>
    <message>
        <source>; %1 could not be read</source>
        <translation>; %1 konnten nicht gelesen werden</translation>
    </message>
    <message>
        <source>; %1 in use on the drive</source>
        <translation>; %1 auf dem Laufwerk belegt</translation>
    </message>
    <message numerus="yes">
        <source>; %n folder pattern(s) left out</source>
        <translation>
            <numerusform>; %n Ordnermuster ausgelassen</numerusform>
            <numerusform>; %n Ordnermuster ausgelassen</numerusform>
        </translation>
    </message>
    <message>
        <source>; %1 since %2</source>
        <translation>; %1 seit %2</translation>
    </message>
    <message>
        <source> (not like for like: the two scans left out different folders)</source>
        <translation> (nicht vergleichbar: die beiden Scans haben verschiedene Ordner ausgelassen)</translation>
    </message>
    <message>
        <source>%1 could not be analyzed again: %2</source>
        <translation>%1 konnte nicht erneut analysiert werden: %2</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Largest Files</source>
        <translation>Größte Dateien</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Views of the scan</source>
        <translation>Ansichten des Scans</translation>
    </message>
    <message>
        <source>Summary of the scan</source>
        <translation>Zusammenfassung des Scans</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>No scans yet</source>
        <translation>Noch keine Scans</translation>
    </message>
    <message>
        <source>Look Again</source>
        <translation>Erneut nachsehen</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>&amp;Drive:</source>
        <translation>&amp;Laufwerk:</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>&amp;Scan:</source>
        <translation>&amp;Scan:</translation>
    </message>
    <message>
        <source>&amp;Analyze Again</source>
        <translation>Erneut &amp;analysieren</translation>
    </message>
    <message>
        <source>E&amp;xcluded Folders...</source>
        <translation>Aus&amp;geschlossene Ordner...</translation>
    </message>
    <message>
        <source>Compare with</source>
        <translation>Vergleichen mit</translation>
    </message>
    <message>
        <source>&amp;Compare with:</source>
        <translation>&amp;Vergleichen mit:</translation>
    </message>
    <message>
        <source>&amp;Only what changed</source>
        <translation>&amp;Nur Geändertes</translation>
    </message>
    <message>
        <source>Filter by name (Ctrl+F)</source>
        <translation>Nach Namen filtern (Strg+F)</translation>
    </message>
    <message>
        <source>Filter by name</source>
        <translation>Nach Namen filtern</translation>
    </message>
    <message>
        <source>Folders and treemap</source>
        <translation>Ordner und Treemap</translation>
    </message>
    <message>
        <source>Which files are listed</source>
        <translation>Welche Dateien aufgeführt sind</translation>
    </message>
    <message>
        <source>Largest files</source>
        <translation>Größte Dateien</translation>
    </message>
    <message>
        <source>&amp;Open in File Manager</source>
        <translation>Im Datei&amp;manager öffnen</translation>
    </message>
    <message>
        <source>&amp;Copy Path</source>
        <translation>Pfad &amp;kopieren</translation>
    </message>
    <message>
        <source>Move to &amp;Trash...</source>
        <translation>In den &amp;Papierkorb verschieben...</translation>
    </message>
    <message>
        <source>Files in %2: %1, none of them among the %3 largest files the scan keeps</source>
        <translation>Dateien in %2: %1, keine davon unter den %3 größten Dateien, die der Scan aufbewahrt</translation>
    </message>
    <message>
        <source>The scan</source>
        <translation>Der Scan</translation>
    </message>
    <message>
        <source>Clear the filter</source>
        <translation>Filter leeren</translation>
    </message>
    <message>
        <source>Divider between the folders and the treemap</source>
        <translation>Trenner zwischen den Ordnern und der Treemap</translation>
    </message>
    <message>
        <source>The folders could not be searched: %1</source>
        <translation>Die Ordner konnten nicht durchsucht werden: %1</translation>
    </message>
    <message>
        <source>No folder of this scan has &quot;%1&quot; in its name.</source>
        <translation>Kein Ordner dieses Scans hat „%1“ im Namen.</translation>
    </message>
    <message>
        <source>Opened to the %1 largest of the %2 folders whose names hold &quot;%3&quot;.</source>
        <translation>Geöffnet bis zu den %1 größten der %2 Ordner, deren Namen „%3“ enthalten.</translation>
    </message>
    <message>
        <source>Opened to the %1 largest changes; smaller ones show when their folders are opened.</source>
        <translation>Geöffnet bis zu den %1 größten Änderungen; kleinere erscheinen, wenn ihre Ordner geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>corvath::QtTreemapWidget</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Treemap</source>
        <translation>Treemap</translation>
    </message>
    <message>
        <source>Treemap of %1</source>
        <translation>Treemap von %1</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>%1, %2 % of %3</source>
        <translation>%1, %2 % von %3</translation>
    </message>
    <message>
        <source>, %1 since the earlier scan</source>
        <translation>, %1 seit dem früheren Scan</translation>
    </message>
    <message>
        <source>, new</source>
        <translation>, neu</translation>
    </message>
    <message>
        <source>, moved to the trash</source>
        <translation>, in den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>Files directly in %1</source>
        <translation>Dateien direkt in %1</translation>
    </message>
</context>
</TS>
