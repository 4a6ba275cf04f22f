<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Accessibility</name>
    <message>
        <source>Opens or closes the list to choose from</source>
        <translation>Öffnet oder schließt die Auswahlliste</translation>
    </message>
</context>
<context>
    <name>Backups</name>
    <message>
        <source>Write a copy of all the data files, compressed into one file, to &lt;folder&gt; (created when missing), without opening a window.</source>
        <translation>Eine komprimierte Kopie aller Datendateien als eine Datei in &lt;Ordner&gt; schreiben (der angelegt wird, wenn es ihn nicht gibt), ohne ein Fenster zu öffnen.</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Put the data files back as the backup &lt;file&gt; holds them, without opening a window; what they held is first kept as an automatic backup.</source>
        <translation>Die Datendateien so zurückspielen, wie die Sicherung &lt;Datei&gt; sie enthält, ohne ein Fenster zu öffnen; was sie enthielten, wird vorher als automatische Sicherung aufbewahrt.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>A backup needs a folder, a restore the name of a backup file.</source>
        <translation>Eine Sicherung braucht einen Ordner, das Zurückspielen den Namen einer Sicherungsdatei.</translation>
    </message>
    <message>
        <source>Backup written: %1 (%2 appointments, %3 notes, %4 entries).</source>
        <translation>Sicherung geschrieben: %1 (%2 Termine, %3 Notizen, %4 Einträge).</translation>
    </message>
    <message>
        <source>Restored: %1 (%2 appointments, %3 notes, %4 entries).</source>
        <translation>Zurückgespielt: %1 (%2 Termine, %3 Notizen, %4 Einträge).</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Before import</source>
        <translation>Vor dem Import</translation>
    </message>
    <message>
        <source>Before first sync</source>
        <translation>Vor dem ersten Abgleich</translation>
    </message>
    <message>
        <source>Before restore</source>
        <translation>Vor dem Zurückspielen</translation>
    </message>
    <message>
        <source>By command</source>
        <translation>Per Befehl</translation>
    </message>
    <message>
        <source>No backup could be made: the folder %1 cannot be created.</source>
        <translation>Es konnte keine Sicherung angelegt werden: Der Ordner %1 lässt sich nicht anlegen.</translation>
    </message>
    <message>
        <source>No backup could be made in %1: %2</source>
        <translation>In %1 konnte keine Sicherung angelegt werden: %2</translation>
    </message>
    <message>
        <source>The backup %1 cannot be read or is damaged. Nothing was changed.</source>
        <translation>Die Sicherung %1 lässt sich nicht lesen oder ist beschädigt. Es wurde nichts geändert.</translation>
    </message>
</context>
<context>
    <name>Calendar</name>
    <message>
        <source>Birthday - </source>
        <translation>Geburtstag - </translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Quorvel, a personal organiser: appointments with reminders, an address book with birthdays, and notes.</source>
        <translation>Quorvel, ein persönlicher Organizer: Termine mit Erinnerungen, ein Adressbuch mit Geburtstagen und Notizen.</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Diese Hilfe zeigen und beenden.</translation>
    </message>
    <message>
        <source>Show the version and exit.</source>
        <translation>Die Version zeigen und beenden.</translation>
    </message>
    <message>
        <source>Keep the data files in &lt;folder&gt; (which must exist) instead of the current folder.</source>
        <translation>Die Datendateien in &lt;Ordner&gt; (der existieren muss) statt im aktuellen Ordner führen.</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Keep the data files in your standard data folder, %1, created on first use. The desktop menu starts Quorvel this way.</source>
        <translation>Die Datendateien in Ihrem Standard-Datenordner %1 führen, der bei der ersten Verwendung angelegt wird. Das Menü der Arbeitsumgebung startet Quorvel so.</translation>
    </message>
    <message>
        <source>Give either --data-folder or --standard-folder, not both.</source>
        <translation>Geben Sie entweder --data-folder oder --standard-folder an, nicht beides.</translation>
    </message>
    <message>
        <source>Give --data-folder only once.</source>
        <translation>Geben Sie --data-folder nur einmal an.</translation>
    </message>
    <message>
        <source>The data folder&apos;s name is empty.</source>
        <translation>Der Name des Datenordners ist leer.</translation>
    </message>
    <message>
        <source>There is no standard data folder for this account.</source>
        <translation>Für dieses Benutzerkonto gibt es keinen Standard-Datenordner.</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Quorvel could not create its data folder %1.</source>
        <translation>Quorvel konnte seinen Datenordner %1 nicht anlegen.</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>&apos;%1 --help&apos; zeigt mehr.</translation>
    </message>
    <message>
        <source>Open the Activities of &lt;date&gt; (YYYY-MM-DD), in the Quorvel already running on the folder if there is one.</source>
        <translation>Die Aktivitäten von &lt;Datum&gt; (JJJJ-MM-TT) öffnen, im schon laufenden Quorvel des Ordners, wenn es eines gibt.</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a date of the form YYYY-MM-DD.</source>
        <translation>„%1“ ist kein Datum der Form JJJJ-MM-TT.</translation>
    </message>
    <message>
        <source>--reminders runs alone, without other commands.</source>
        <translation>--reminders läuft allein, ohne weitere Befehle.</translation>
    </message>
    <message>
        <source>Run the reminder agent: desktop notifications for the appointments&apos; reminders while Quorvel is closed. It opens no window and does not keep Quorvel out of the folder.</source>
        <translation>Den Erinnerungsdienst starten: Erinnerungen an Termine als Desktop-Benachrichtigungen, auch wenn Quorvel geschlossen ist. Er öffnet kein Fenster und hält Quorvel nicht vom Ordner fern.</translation>
    </message>
    <message>
        <source>The data folder %1 does not exist.</source>
        <translation>Den Datenordner %1 gibt es nicht.</translation>
    </message>
    <message>
        <source>%1 is started by quorvel --reminders.</source>
        <translation>%1 wird von quorvel --reminders gestartet.</translation>
    </message>
    <message>
        <source>The reminder agent %1 cannot be started.</source>
        <translation>Der Erinnerungsdienst %1 lässt sich nicht starten.</translation>
    </message>
</context>
<context>
    <name>Events</name>
    <message>
        <source>its text cannot be read</source>
        <translation>sein Text ist nicht lesbar</translation>
    </message>
    <message>
        <source>its repeat rule cannot be read</source>
        <translation>seine Wiederholungsregel ist nicht lesbar</translation>
    </message>
    <message>
        <source>it repeats too often to be shown</source>
        <translation>es wiederholt sich zu oft, um gezeigt zu werden</translation>
    </message>
</context>
<context>
    <name>Interchange</name>
    <message>
        <source>iCalendar files (*.ics)</source>
        <translation>iCalendar-Dateien (*.ics)</translation>
    </message>
    <message>
        <source>vCard files (*.vcf)</source>
        <translation>vCard-Dateien (*.vcf)</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Calendars and address books (*.ics *.vcf);;%1;;%2</source>
        <translation>Kalender und Adressbücher (*.ics *.vcf);;%1;;%2</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Write every appointment, and the address book&apos;s birthdays, to an iCalendar file, without opening a window.</source>
        <translation>Alle Termine und die Geburtstage aus dem Adressbuch in eine iCalendar-Datei schreiben, ohne ein Fenster zu öffnen.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Write the address book to a vCard file, without opening a window.</source>
        <translation>Das Adressbuch in eine vCard-Datei schreiben, ohne ein Fenster zu öffnen.</translation>
    </message>
    <message>
        <source>Import iCalendar (.ics) and vCard (.vcf) files, all or nothing, without opening a window; more files may follow.</source>
        <translation>iCalendar- (.ics) und vCard-Dateien (.vcf) importieren, ganz oder gar nicht, ohne ein Fenster zu öffnen; weitere Dateien dürfen folgen.</translation>
    </message>
    <message>
        <source>More files to import after --import.</source>
        <translation>Weitere zu importierende Dateien nach --import.</translation>
    </message>
    <message>
        <source>An export needs the name of a file.</source>
        <translation>Ein Export braucht den Namen einer Datei.</translation>
    </message>
    <message>
        <source>its name</source>
        <translation>sein Vorname</translation>
    </message>
    <message>
        <source>its surname</source>
        <translation>sein Nachname</translation>
    </message>
    <message>
        <source>e-mail address</source>
        <translation>E-Mail-Adresse</translation>
    </message>
    <message>
        <source>home page</source>
        <translation>Homepage</translation>
    </message>
    <message>
        <source>its %1</source>
        <translation>sein Feld %1</translation>
    </message>
    <message>
        <source>its title before or after the name (&quot;%1&quot;)</source>
        <translation>sein Titel vor oder nach dem Namen („%1“)</translation>
    </message>
    <message>
        <source>it has no name</source>
        <translation>er hat keinen Namen</translation>
    </message>
    <message>
        <source>the telephone number %1 (%2)</source>
        <translation>die Telefonnummer %1 (%2)</translation>
    </message>
    <message>
        <source>the telephone number %1 (no free place for it)</source>
        <translation>die Telefonnummer %1 (kein freier Platz dafür)</translation>
    </message>
    <message>
        <source>the %1 %2 (only one is kept)</source>
        <translation>%1 %2 (nur eine wird übernommen)</translation>
    </message>
    <message>
        <source>the %1 %2 (%3)</source>
        <translation>%1 %2 (%3)</translation>
    </message>
    <message>
        <source>the address %1 (only one is kept)</source>
        <translation>die Adresse %1 (nur eine wird übernommen)</translation>
    </message>
    <message>
        <source>the address %1 (%2)</source>
        <translation>die Adresse %1 (%2)</translation>
    </message>
    <message>
        <source>its notes (%1)</source>
        <translation>seine Notizen (%1)</translation>
    </message>
    <message>
        <source>its birthday %1 (only a full date with a four-digit year can be kept)</source>
        <translation>sein Geburtstag %1 (nur ein vollständiges Datum mit vierstelliger Jahreszahl kann übernommen werden)</translation>
    </message>
    <message>
        <source>The vCard at line %1</source>
        <translation>Die vCard in Zeile %1</translation>
    </message>
    <message>
        <source>%1 holds &quot;%2&quot;, a character Quorvel cannot store</source>
        <translation>%1 enthält „%2“, ein Zeichen, das Quorvel nicht speichern kann</translation>
    </message>
    <message>
        <source>An event without a subject</source>
        <translation>Ein Ereignis ohne Betreff</translation>
    </message>
    <message>
        <source>it has no start</source>
        <translation>es hat keinen Beginn</translation>
    </message>
    <message>
        <source>its start is not a valid date</source>
        <translation>sein Beginn ist kein gültiges Datum</translation>
    </message>
    <message>
        <source>it is cancelled</source>
        <translation>es ist abgesagt</translation>
    </message>
    <message>
        <source>it ends before it starts</source>
        <translation>es endet, bevor es beginnt</translation>
    </message>
    <message>
        <source>it lasts more than %1 days</source>
        <translation>es dauert länger als %1 Tage</translation>
    </message>
    <message>
        <source>it has no subject</source>
        <translation>es hat keinen Betreff</translation>
    </message>
    <message>
        <source>its subject</source>
        <translation>sein Betreff</translation>
    </message>
    <message>
        <source>%1: its location &quot;%2&quot; (it does not fit beside the description)</source>
        <translation>%1: sein Ort „%2“ (er passt nicht mehr neben die Beschreibung)</translation>
    </message>
    <message>
        <source>its description</source>
        <translation>seine Beschreibung</translation>
    </message>
    <message>
        <source>%1: its description (%2)</source>
        <translation>%1: seine Beschreibung (%2)</translation>
    </message>
    <message>
        <source>%1: its reminder (only a whole number of minutes up to 9999 before the start can be kept)</source>
        <translation>%1: seine Erinnerung (nur eine ganze Zahl von Minuten bis 9999 vor dem Beginn kann übernommen werden)</translation>
    </message>
    <message>
        <source>its repeat rule cannot be read</source>
        <translation>seine Wiederholungsregel ist nicht lesbar</translation>
    </message>
    <message>
        <source>%1: it has no end; it was given half an hour</source>
        <translation>%1: es hat kein Ende; es bekam eine halbe Stunde</translation>
    </message>
    <message>
        <source>It is not an iCalendar file: it holds binary data.</source>
        <translation>Es ist keine iCalendar-Datei: sie enthält Binärdaten.</translation>
    </message>
    <message>
        <source>It is not an iCalendar file: it does not begin with BEGIN:VCALENDAR.</source>
        <translation>Es ist keine iCalendar-Datei: sie beginnt nicht mit BEGIN:VCALENDAR.</translation>
    </message>
    <message>
        <source>It is not a complete iCalendar file: it does not end with END:VCALENDAR (it may have been cut short).</source>
        <translation>Es ist keine vollständige iCalendar-Datei: sie endet nicht mit END:VCALENDAR (vielleicht wurde sie abgeschnitten).</translation>
    </message>
    <message>
        <source>The appointment &quot;%1&quot; has no date (its ID is &quot;%2&quot;).</source>
        <translation>Der Termin „%1“ hat kein Datum (seine ID ist „%2“).</translation>
    </message>
    <message>
        <source>The birthday of %1 is not a date (&quot;%2&quot;).</source>
        <translation>Der Geburtstag von %1 ist kein Datum („%2“).</translation>
    </message>
    <message>
        <source>%1 is longer than %2 characters</source>
        <translation>%1 ist länger als %2 Zeichen</translation>
    </message>
    <message>
        <source>already present</source>
        <translation>schon vorhanden</translation>
    </message>
    <message>
        <source>The file %1 could not be written: %2.</source>
        <translation>Die Datei %1 konnte nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>contact</source>
        <translation>Kontakt</translation>
    </message>
    <message>
        <source>contacts</source>
        <translation>Kontakte</translation>
    </message>
    <message>
        <source>appointment</source>
        <translation>Termin</translation>
    </message>
    <message>
        <source>appointments</source>
        <translation>Termine</translation>
    </message>
    <message>
        <source> and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>birthday</source>
        <translation>Geburtstag</translation>
    </message>
    <message>
        <source>birthdays</source>
        <translation>Geburtstage</translation>
    </message>
    <message>
        <source>%1 exported to %2.</source>
        <translation>%1 nach %2 exportiert.</translation>
    </message>
    <message>
        <source> Left out: </source>
        <translation> Ausgelassen: </translation>
    </message>
    <message>
        <source>%1: %2 and %3 imported</source>
        <translation>%1: %2 und %3 importiert</translation>
    </message>
    <message>
        <source>Details not kept:</source>
        <translation>Nicht übernommene Angaben:</translation>
    </message>
    <message>
        <source>Nothing was imported. %1: %2</source>
        <translation>Nichts wurde importiert. %1: %2</translation>
    </message>
    <message>
        <source>there is no such file.</source>
        <translation>diese Datei gibt es nicht.</translation>
    </message>
    <message>
        <source>it is a folder, not a file.</source>
        <translation>es ist ein Ordner, keine Datei.</translation>
    </message>
    <message>
        <source>the file is too large to import (%1 MB; at most %2 MB).</source>
        <translation>die Datei ist zu groß zum Importieren (%1 MB; höchstens %2 MB).</translation>
    </message>
    <message>
        <source>the file could not be read (%1).</source>
        <translation>die Datei konnte nicht gelesen werden (%1).</translation>
    </message>
    <message>
        <source>the file is too large to import (at most %1 MB).</source>
        <translation>die Datei ist zu groß zum Importieren (höchstens %1 MB).</translation>
    </message>
    <message>
        <source>it holds binary data, not iCalendar or vCard text.</source>
        <translation>sie enthält Binärdaten, keinen iCalendar- oder vCard-Text.</translation>
    </message>
    <message>
        <source>it is neither an iCalendar (.ics) nor a vCard (.vcf) file.</source>
        <translation>sie ist weder eine iCalendar- (.ics) noch eine vCard-Datei (.vcf).</translation>
    </message>
    <message>
        <source>Birthday - </source>
        <translation>Geburtstag - </translation>
    </message>
    <message>
        <source>birthdays come from the address book: import its vCard file</source>
        <translation>Geburtstage kommen aus dem Adressbuch: importieren Sie dessen vCard-Datei</translation>
    </message>
    <message>
        <source>&quot;%1&quot; on %2 at %3</source>
        <translation>„%1“ am %2 um %3</translation>
    </message>
    <message>
        <source>its year cannot be stored</source>
        <translation>sein Jahr kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Nothing was imported: %1</source>
        <translation>Nichts wurde importiert: %1</translation>
    </message>
    <message>
        <source>It is not a valid vCard file: line %1 %2.</source>
        <translation>Es ist keine gültige vCard-Datei: Zeile %1 %2.</translation>
    </message>
    <message>
        <source>It is not a valid vCard file: its UTF-16 text is damaged.</source>
        <translation>Es ist keine gültige vCard-Datei: ihr UTF-16-Text ist beschädigt.</translation>
    </message>
    <message>
        <source>It is not a vCard file: it holds binary data.</source>
        <translation>Es ist keine vCard-Datei: sie enthält Binärdaten.</translation>
    </message>
    <message>
        <source>has no colon</source>
        <translation>hat keinen Doppelpunkt</translation>
    </message>
    <message>
        <source>has no property name</source>
        <translation>hat keinen Eigenschaftsnamen</translation>
    </message>
    <message>
        <source>begins something other than a vCard</source>
        <translation>beginnt etwas anderes als eine vCard</translation>
    </message>
    <message>
        <source>ends something other than a vCard</source>
        <translation>beendet etwas anderes als eine vCard</translation>
    </message>
    <message>
        <source>begins a vCard inside another</source>
        <translation>beginnt eine vCard innerhalb einer anderen</translation>
    </message>
    <message>
        <source>ends a vCard that never began</source>
        <translation>beendet eine vCard, die nie begonnen hat</translation>
    </message>
    <message>
        <source>It is not a valid vCard file: the vCard at line %1 has no VERSION.</source>
        <translation>Es ist keine gültige vCard-Datei: die vCard in Zeile %1 hat keine VERSION.</translation>
    </message>
    <message>
        <source>stands outside any vCard</source>
        <translation>steht außerhalb jeder vCard</translation>
    </message>
    <message>
        <source>holds broken quoted-printable text</source>
        <translation>enthält fehlerhaften Quoted-Printable-Text</translation>
    </message>
    <message>
        <source>It is not a vCard file this program reads: line %1 names vCard version %2 (2.1, 3.0 and 4.0 are read).</source>
        <translation>Es ist keine vCard-Datei, die dieses Programm liest: Zeile %1 nennt vCard-Version %2 (gelesen werden 2.1, 3.0 und 4.0).</translation>
    </message>
    <message>
        <source>It is not a complete vCard file: the vCard that begins at line %1 never ends (the file may have been cut short).</source>
        <translation>Es ist keine vollständige vCard-Datei: die vCard, die in Zeile %1 beginnt, endet nie (vielleicht wurde die Datei abgeschnitten).</translation>
    </message>
    <message>
        <source> on </source>
        <translation> am </translation>
    </message>
    <message>
        <source>its repeat rule cannot be read: &quot;%1&quot;</source>
        <translation>seine Wiederholungsregel ist nicht lesbar: „%1“</translation>
    </message>
    <message>
        <source>It is not a valid iCalendar file: %1</source>
        <translation>Es ist keine gültige iCalendar-Datei: %1</translation>
    </message>
    <message>
        <source>line %1 holds bytes that are not UTF-8 text (iCalendar files are UTF-8; this one may have been saved in another character set).</source>
        <translation>Zeile %1 enthält Bytes, die kein UTF-8-Text sind (iCalendar-Dateien sind UTF-8; diese wurde vielleicht in einem anderen Zeichensatz gespeichert).</translation>
    </message>
    <message>
        <source>line %1 is malformed: it has no colon after its name (%2).</source>
        <translation>Zeile %1 ist fehlerhaft: nach ihrem Namen steht kein Doppelpunkt (%2).</translation>
    </message>
    <message>
        <source>line %1 is malformed: it does not begin with a name (%2).</source>
        <translation>Zeile %1 ist fehlerhaft: sie beginnt nicht mit einem Namen (%2).</translation>
    </message>
    <message>
        <source>line %1 ends %2, which never began.</source>
        <translation>Zeile %1 beendet %2, das nie begonnen wurde.</translation>
    </message>
    <message>
        <source>line %1 ends %2, but the %3 that begins at line %4 has not ended.</source>
        <translation>Zeile %1 beendet %2, aber das in Zeile %4 begonnene %3 ist noch nicht beendet.</translation>
    </message>
    <message>
        <source>line %1 stands outside the calendar (%2).</source>
        <translation>Zeile %1 steht außerhalb des Kalenders (%2).</translation>
    </message>
    <message>
        <source>the %1 that begins at line %2 never ends.</source>
        <translation>das in Zeile %2 begonnene %1 endet nie.</translation>
    </message>
    <message>
        <source>%1 to-do</source>
        <translation>%1 Aufgabe</translation>
    </message>
    <message>
        <source>%1 to-dos</source>
        <translation>%1 Aufgaben</translation>
    </message>
    <message>
        <source>no to-do list</source>
        <translation>keine Aufgabenliste</translation>
    </message>
    <message>
        <source>%1 journal entry</source>
        <translation>%1 Journaleintrag</translation>
    </message>
    <message>
        <source>%1 journal entries</source>
        <translation>%1 Journaleinträge</translation>
    </message>
    <message>
        <source>no journal</source>
        <translation>kein Journal</translation>
    </message>
    <message>
        <source>%1 free/busy block</source>
        <translation>%1 Frei/Belegt-Block</translation>
    </message>
    <message>
        <source>%1 free/busy blocks</source>
        <translation>%1 Frei/Belegt-Blöcke</translation>
    </message>
    <message>
        <source>no free/busy times</source>
        <translation>keine Frei/Belegt-Zeiten</translation>
    </message>
    <message>
        <source>Quorvel keeps only appointments</source>
        <translation>Quorvel führt nur Termine</translation>
    </message>
    <message>
        <source>Quorvel has %1, and keeps only appointments</source>
        <translation>Quorvel hat %1 und führt nur Termine</translation>
    </message>
    <message>
        <source>Quorvel has %1</source>
        <translation>Quorvel hat %1</translation>
    </message>
    <message>
        <source>%1 was not imported: %2.</source>
        <translation>%1 wurde nicht importiert: %2.</translation>
    </message>
    <message>
        <source>%1 were not imported: %2.</source>
        <translation>%1 wurden nicht importiert: %2.</translation>
    </message>
    <message>
        <source>The file&apos;s own definition of the time zone %1 contradicts the time zone database; its times were read as the database has %1.</source>
        <translation>Die eigene Definition der Zeitzone %1 in der Datei widerspricht der Zeitzonen-Datenbank; ihre Zeiten wurden so gelesen, wie die Datenbank %1 führt.</translation>
    </message>
    <message>
        <source>The time zone &quot;%2&quot; is not known: the times of %1 event that uses it were read as local times.</source>
        <translation>Die Zeitzone „%2“ ist unbekannt: die Zeiten von %1 Ereignis, das sie verwendet, wurden als Ortszeit gelesen.</translation>
    </message>
    <message>
        <source>The time zone &quot;%2&quot; is not known: the times of %1 events that use it were read as local times.</source>
        <translation>Die Zeitzone „%2“ ist unbekannt: die Zeiten von %1 Ereignissen, die sie verwenden, wurden als Ortszeit gelesen.</translation>
    </message>
    <message>
        <source>its calendar cannot be read.</source>
        <translation>ihr Kalender ist nicht lesbar.</translation>
    </message>
    <message>
        <source>; %1 skipped.</source>
        <translation>; %1 übersprungen.</translation>
    </message>
    <message>
        <source>Skipped:</source>
        <translation>Übersprungen:</translation>
    </message>
    <message>
        <source>names a character set this program does not know (%1)</source>
        <translation>nennt einen Zeichensatz, den dieses Programm nicht kennt (%1)</translation>
    </message>
    <message>
        <source>holds bytes that are not valid %1 text</source>
        <translation>enthält Bytes, die kein gültiger %1-Text sind</translation>
    </message>
    <message>
        <source>d MMMM</source>
        <translation>d. MMMM</translation>
    </message>
    <message>
        <source>its birthday %1 (%2, without a year: the address book keeps only birthdays with a year)</source>
        <translation>sein Geburtstag %1 (%2, ohne Jahr: das Adressbuch führt nur Geburtstage mit Jahr)</translation>
    </message>
    <message>
        <source>Import everything else with these texts shortened, or import nothing?</source>
        <translation>Alles Übrige mit diesen gekürzten Texten importieren oder nichts importieren?</translation>
    </message>
    <message>
        <source>Import the rest shortened</source>
        <translation>Den Rest gekürzt importieren</translation>
    </message>
    <message>
        <source>Import nothing</source>
        <translation>Nichts importieren</translation>
    </message>
    <message>
        <source>With --import: store a card&apos;s text that is longer than its field shortened to it (without this, such an import stores nothing and lists them).</source>
        <translation>Mit --import: den Text einer Visitenkarte, der länger als sein Feld ist, auf das Feld gekürzt speichern (ohne diese Option speichert ein solcher Import nichts und listet die Texte auf).</translation>
    </message>
    <message>
        <source>To import them shortened, give --accept-shortened as well.</source>
        <translation>Um sie gekürzt zu importieren, zusätzlich --accept-shortened angeben.</translation>
    </message>
    <message>
        <source>the telephone number %1</source>
        <translation>die Telefonnummer %1</translation>
    </message>
    <message>
        <source>its address</source>
        <translation>seine Adresse</translation>
    </message>
    <message>
        <source>its notes</source>
        <translation>seine Notizen</translation>
    </message>
    <message>
        <source>another event of the file has the same UID</source>
        <translation>ein anderer Termin der Datei hat dieselbe UID</translation>
    </message>
    <message>
        <source> at %1</source>
        <translation> um %1</translation>
    </message>
    <message>
        <source>An event kept whole (%1) no longer reads as one.</source>
        <translation>Ein unverändert aufbewahrter Termin (%1) lässt sich nicht mehr als solcher lesen.</translation>
    </message>
    <message>
        <source>%1: %2, %3 characters (the field holds %4)</source>
        <translation>%1: %2, %3 Zeichen (das Feld fasst %4)</translation>
    </message>
    <message>
        <source>it is too large to be kept (%1 bytes; at most %2)</source>
        <translation>er ist zu groß, um aufbewahrt zu werden (%1 Bytes; höchstens %2)</translation>
    </message>
    <message>
        <source>the file of events kept whole (Events.dat) is full</source>
        <translation>die Datei der unverändert aufbewahrten Termine (Events.dat) ist voll</translation>
    </message>
    <message>
        <source>it cannot be kept as one event</source>
        <translation>er lässt sich nicht als ein Termin aufbewahren</translation>
    </message>
    <message>
        <source>; %1 of them updated</source>
        <translation>; %1 davon aktualisiert</translation>
    </message>
    <message>
        <source>Shortened:</source>
        <translation>Gekürzt:</translation>
    </message>
    <message>
        <source>Nothing was imported. 1 text is longer than its field in the address book, and would be shortened:</source>
        <translation>Es wurde nichts importiert. 1 Text ist länger als sein Feld im Adressbuch und würde gekürzt:</translation>
    </message>
    <message>
        <source>Nothing was imported. %1 texts are longer than their fields in the address book, and would be shortened:</source>
        <translation>Es wurde nichts importiert. %1 Texte sind länger als ihre Felder im Adressbuch und würden gekürzt:</translation>
    </message>
    <message>
        <source>… and %1 more, all listed in the previous message.</source>
        <translation>… und %1 weitere, alle in der vorigen Meldung aufgeführt.</translation>
    </message>
    <message>
        <source>it spans several days</source>
        <translation>es erstreckt sich über mehrere Tage</translation>
    </message>
    <message>
        <source>its UID (&quot;%1&quot;) does not read back the same once written out</source>
        <translation>seine UID („%1“) liest sich nach dem Schreiben nicht mehr gleich</translation>
    </message>
    <message>
        <source>%1: the event as it came, with its UID and what the appointment has no field for (it cannot be kept beside it)</source>
        <translation>%1: der Termin, wie er kam, mit seiner UID und allem, wofür der Termin kein Feld hat (er kann nicht daneben aufbewahrt werden)</translation>
    </message>
    <message>
        <source>a newer copy of an appointment already here, which was changed here or moves to another day</source>
        <translation>eine neuere Fassung eines schon vorhandenen Termins, der hier geändert wurde oder auf einen anderen Tag wandert</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Entry Already Exists!</source>
        <translation>Der Eintrag ist schon vorhanden!</translation>
    </message>
    <message>
        <source>The address book is full: it can hold no more than %1 entries. Delete an entry to make room.</source>
        <translation>Das Adressbuch ist voll: Es fasst höchstens %1 Einträge. Löschen Sie einen Eintrag, um Platz zu schaffen.</translation>
    </message>
    <message>
        <source>The size of the Note must not exceed 1000 characters</source>
        <translation>Die Notiz darf nicht länger als 1000 Zeichen sein</translation>
    </message>
    <message>
        <source>The note is too long to be stored: it holds %1 characters and %2 line breaks. %3 characters fit; line breaks count as two. Please shorten it by %4 and try again.</source>
        <translation>Die Notiz ist zu lang zum Speichern: Sie enthält %1 Zeichen und %2 Zeilenumbrüche. %3 Zeichen passen hinein; Zeilenumbrüche zählen doppelt. Bitte kürzen Sie sie um %4 und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The note pad is full: it already holds %1 notes, the most it can keep. Delete a note you no longer need, or save under the title of an existing note to replace it.</source>
        <translation>Der Notizblock ist voll: Er enthält schon %1 Notizen, mehr kann er nicht aufnehmen. Löschen Sie eine Notiz, die Sie nicht mehr brauchen, oder speichern Sie unter dem Titel einer vorhandenen Notiz, um diese zu ersetzen.</translation>
    </message>
    <message>
        <source>This note is no longer stored, so it cannot be deleted.</source>
        <translation>Diese Notiz ist nicht mehr gespeichert und kann daher nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>

(The system says: %1.)</source>
        <translation>

(Meldung des Systems: %1.)</translation>
    </message>
    <message>
        <source>The folder Quorvel was started in no longer exists, so there is nowhere to keep your data. Nothing was read or written. Start Quorvel again from a folder that exists.</source>
        <translation>Der Ordner, in dem Quorvel gestartet wurde, existiert nicht mehr; es gibt also keinen Ort für Ihre Daten. Nichts wurde gelesen oder geschrieben. Starten Sie Quorvel erneut aus einem vorhandenen Ordner.</translation>
    </message>
    <message>
        <source>The data folder %1 no longer exists. Nothing was read or written. Start Quorvel again from a folder that exists.</source>
        <translation>Der Datenordner %1 existiert nicht mehr. Nichts wurde gelesen oder geschrieben. Starten Sie Quorvel erneut aus einem vorhandenen Ordner.</translation>
    </message>
    <message>
        <source>Quorvel cannot use the data folder %1. Nothing was read or written.%2</source>
        <translation>Quorvel kann den Datenordner %1 nicht verwenden. Nichts wurde gelesen oder geschrieben.%2</translation>
    </message>
    <message>
        <source>is a symbolic link. Quorvel never follows links for its data files, so that nothing outside the folder is ever changed</source>
        <translation>ist ein symbolischer Link. Quorvel folgt für seine Datendateien nie Links, damit außerhalb des Ordners nie etwas verändert wird</translation>
    </message>
    <message>
        <source>is a folder, not a file</source>
        <translation>ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>is not a regular file (it is a device, a pipe or a socket)</source>
        <translation>ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder ein Socket)</translation>
    </message>
    <message>
        <source>%1 in the folder %2 %3. Nothing was changed. Put the file itself in its place (or move it away to start afresh), then start Quorvel again.</source>
        <translation>%1 im Ordner %2 %3. Nichts wurde verändert. Legen Sie die Datei selbst an ihren Platz (oder verschieben Sie sie, um neu zu beginnen) und starten Sie Quorvel dann erneut.</translation>
    </message>
    <message>
        <source>%1 and %2 in the folder %3 are one and the same file (one is a hard link of the other), so saving in one would destroy the other. Nothing was changed. Remove one of the two names, then start Quorvel again.</source>
        <translation>%1 und %2 im Ordner %3 sind ein und dieselbe Datei (die eine ist ein harter Link auf die andere); Speichern in der einen würde die andere zerstören. Nichts wurde verändert. Entfernen Sie einen der beiden Namen und starten Sie Quorvel dann erneut.</translation>
    </message>
    <message>
        <source>%1 in the folder %2 has other names elsewhere (hard links, as some backup tools make), so saving in it would change those copies too. Nothing was changed. Replace it with a copy of its own (copy it to a new name, then rename the copy to %1), then start Quorvel again.</source>
        <translation>%1 im Ordner %2 hat anderswo weitere Namen (harte Links, wie manche Sicherungsprogramme sie anlegen); Speichern darin würde auch diese Kopien verändern. Nichts wurde verändert. Ersetzen Sie die Datei durch eine eigene Kopie (unter neuem Namen kopieren, dann die Kopie in %1 umbenennen) und starten Sie Quorvel dann erneut.</translation>
    </message>
    <message>
        <source>%1 in the folder %2 was changed by another program (replaced, moved or removed) while Quorvel was running. Your last change was not saved, and nothing was written. Quorvel ends now; start it again to work with the files as they are now.</source>
        <translation>%1 im Ordner %2 wurde von einem anderen Programm verändert (ersetzt, verschoben oder entfernt), während Quorvel lief. Ihre letzte Änderung wurde nicht gespeichert, und nichts wurde geschrieben. Quorvel wird jetzt beendet; starten Sie es erneut, um mit den Dateien in ihrem jetzigen Zustand zu arbeiten.</translation>
    </message>
    <message>
        <source>Another program put %1 in the folder %2 while Quorvel was running. Your last change was not saved, and nothing was written. Quorvel ends now; when started again it sets that file aside.</source>
        <translation>Ein anderes Programm hat %1 in den Ordner %2 gelegt, während Quorvel lief. Ihre letzte Änderung wurde nicht gespeichert, und nichts wurde geschrieben. Quorvel wird jetzt beendet; beim nächsten Start legt es diese Datei beiseite.</translation>
    </message>
    <message>
        <source>The folder %4 held %2, a record of an unfinished change, but it does not belong to this %1 (it was copied or synced from another folder or machine, or put there by another program). It was not used: %1 is unchanged. The file was kept as %3 in case you need it.</source>
        <translation>Der Ordner %4 enthielt %2, die Aufzeichnung einer unvollendeten Änderung, die aber nicht zu dieser Datei %1 gehört (sie wurde aus einem anderen Ordner oder von einem anderen Rechner kopiert oder abgeglichen oder von einem anderen Programm dort abgelegt). Sie wurde nicht verwendet: %1 ist unverändert. Die Datei wurde als %3 aufbewahrt, falls Sie sie brauchen.</translation>
    </message>
    <message>
        <source>There is no room left on the disk to save this change safely; nothing was changed. Free some space and try again.</source>
        <translation>Auf dem Datenträger ist kein Platz mehr, um diese Änderung sicher zu speichern; nichts wurde verändert. Geben Sie etwas Speicherplatz frei und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Quorvel cannot open %1</source>
        <translation>Quorvel kann %1 nicht öffnen</translation>
    </message>
    <message>
        <source>Quorvel cannot read %1</source>
        <translation>Quorvel kann %1 nicht lesen</translation>
    </message>
    <message>
        <source>Quorvel could not save a change in %1</source>
        <translation>Quorvel konnte eine Änderung in %1 nicht speichern</translation>
    </message>
    <message>
        <source>Quorvel could not finish putting %1 back as it was</source>
        <translation>Quorvel konnte %1 nicht vollständig in den vorigen Zustand zurückversetzen</translation>
    </message>
    <message>
        <source>Quorvel could not close %1</source>
        <translation>Quorvel konnte %1 nicht schließen</translation>
    </message>
    <message>
        <source>Quorvel ends now; the next start puts the file back as it was before the change.</source>
        <translation>Quorvel wird jetzt beendet; der nächste Start versetzt die Datei in den Zustand vor der Änderung zurück.</translation>
    </message>
    <message>
        <source>Quorvel ends now; everything saved before stays as it was.</source>
        <translation>Quorvel wird jetzt beendet; alles zuvor Gespeicherte bleibt, wie es war.</translation>
    </message>
    <message>
        <source> There is no room left on the disk; free some space first.</source>
        <translation> Auf dem Datenträger ist kein Platz mehr; geben Sie zuerst etwas Speicherplatz frei.</translation>
    </message>
    <message>
        <source>%1 in the folder %2. %3%4%5</source>
        <translation>%1 im Ordner %2. %3%4%5</translation>
    </message>
    <message>
        <source>There is no room left on the disk to set up Quorvel&apos;s data files in the folder %1. Nothing was changed there. Quorvel ends now; free some space, then start it again.</source>
        <translation>Auf dem Datenträger ist kein Platz mehr, um die Datendateien von Quorvel im Ordner %1 anzulegen. Dort wurde nichts verändert. Quorvel wird jetzt beendet; geben Sie etwas Speicherplatz frei und starten Sie es dann erneut.</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Einzelheiten</translation>
    </message>
</context>
<context>
    <name>OccurrenceActions</name>
    <message>
        <source>&quot;%1&quot; repeats. Delete only this occurrence, or all of them?</source>
        <translation>„%1“ wiederholt sich. Nur diesen Termin löschen oder alle?</translation>
    </message>
    <message>
        <source>&quot;%1&quot; repeats. Change only this occurrence, or all of them?</source>
        <translation>„%1“ wiederholt sich. Nur diesen Termin ändern oder alle?</translation>
    </message>
    <message>
        <source>This Occurrence</source>
        <translation>Nur diesen</translation>
    </message>
    <message>
        <source>All Occurrences</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>The appointment cannot be stored: the file of repeating and all-day appointments is full.</source>
        <translation>Der Termin kann nicht gespeichert werden: Die Datei der sich wiederholenden und ganztägigen Termine ist voll.</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>[options]</source>
        <translation>[Optionen]</translation>
    </message>
    <message>
        <source>Usage: %1</source>
        <translation>Aufruf: %1</translation>
    </message>
</context>
<context>
    <name>SearchCommandLine</name>
    <message>
        <source>Print the appointments, notes and address entries that hold every one of the words (case and accents aside), one per line, and exit: 0 when something was found, 1 when nothing was, 2 when the data folder cannot be used.</source>
        <translation>Die Termine, Notizen und Adresseinträge ausgeben, die jedes der Wörter enthalten (Groß- und Kleinschreibung und Akzente zählen nicht), einen je Zeile, und beenden: 0, wenn etwas gefunden wurde, 1, wenn nichts gefunden wurde, 2, wenn der Datenordner nicht benutzt werden kann.</translation>
    </message>
    <message>
        <source>words</source>
        <translation>Wörter</translation>
    </message>
    <message>
        <source>--search needs the words to find.</source>
        <translation>--search braucht die gesuchten Wörter.</translation>
    </message>
</context>
<context>
    <name>Sync</name>
    <message>
        <source>The sync state in Sync.dat is damaged. Set up sync again to start over.</source>
        <translation>Der Abgleichstand in Sync.dat ist beschädigt. Richten Sie den Abgleich neu ein, um von vorn zu beginnen.</translation>
    </message>
    <message>
        <source>Sync is not set up: choose &quot;Sync…&quot; in the menu first.</source>
        <translation>Der Abgleich ist nicht eingerichtet: Wählen Sie zuerst „Abgleich…“ im Menü.</translation>
    </message>
    <message>
        <source>Sync is not set up.</source>
        <translation>Der Abgleich ist nicht eingerichtet.</translation>
    </message>
    <message>
        <source>The server address must start with https:// (plain http:// is only accepted for a server on this computer).</source>
        <translation>Die Serveradresse muss mit https:// beginnen (einfaches http:// ist nur für einen Server auf diesem Rechner erlaubt).</translation>
    </message>
    <message>
        <source>The server could not be found. Check the server address and the network connection.</source>
        <translation>Der Server wurde nicht gefunden. Prüfen Sie die Serveradresse und die Netzwerkverbindung.</translation>
    </message>
    <message>
        <source>The server did not answer (%1). Check the network connection and try again later.</source>
        <translation>Der Server hat nicht geantwortet (%1). Prüfen Sie die Netzwerkverbindung und versuchen Sie es später erneut.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate was not accepted (%1). The connection is not safe, so nothing was sent.</source>
        <translation>Das Zertifikat des Servers wurde nicht anerkannt (%1). Die Verbindung ist nicht sicher, daher wurde nichts gesendet.</translation>
    </message>
    <message>
        <source>The server refused the user name or password. Check them in the sync settings.</source>
        <translation>Der Server hat Benutzername oder Passwort abgelehnt. Prüfen Sie beides in den Abgleich-Einstellungen.</translation>
    </message>
    <message>
        <source>The server does not allow this account to do that (403).</source>
        <translation>Der Server erlaubt diesem Konto das nicht (403).</translation>
    </message>
    <message>
        <source>The calendar or address book was not found on the server (%1). Choose it again in the sync settings.</source>
        <translation>Der Kalender oder das Adressbuch wurde auf dem Server nicht gefunden (%1). Wählen Sie ihn in den Abgleich-Einstellungen neu aus.</translation>
    </message>
    <message>
        <source>The item was changed on the server meanwhile (412).</source>
        <translation>Der Eintrag wurde inzwischen auf dem Server geändert (412).</translation>
    </message>
    <message>
        <source>The account on the server is full (507): free some space there, then sync again.</source>
        <translation>Das Konto auf dem Server ist voll (507): Geben Sie dort Platz frei und gleichen Sie dann erneut ab.</translation>
    </message>
    <message>
        <source>The server&apos;s reply was not understood (%1). Is the address that of a CalDAV/CardDAV server?</source>
        <translation>Die Antwort des Servers war unverständlich (%1). Ist die Adresse die eines CalDAV/CardDAV-Servers?</translation>
    </message>
    <message>
        <source>The server reported an error (%1 %2).</source>
        <translation>Der Server hat einen Fehler gemeldet (%1 %2).</translation>
    </message>
    <message>
        <source>Sync failed: </source>
        <translation>Abgleich fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Sync done: %1 received, %2 sent</source>
        <translation>Abgleich fertig: %1 empfangen, %2 gesendet</translation>
    </message>
    <message>
        <source>, %1 changed on both sides and kept twice (%2)</source>
        <translation>, %1 auf beiden Seiten geändert und doppelt behalten (%2)</translation>
    </message>
    <message>
        <source>, %1 left on the server (%2)</source>
        <translation>, %1 auf dem Server belassen (%2)</translation>
    </message>
    <message>
        <source>, %1 to retry (%2)</source>
        <translation>, %1 erneut zu versuchen (%2)</translation>
    </message>
    <message>
        <source>Receiving changes…</source>
        <translation>Änderungen werden empfangen…</translation>
    </message>
    <message>
        <source>Asking the server what changed…</source>
        <translation>Der Server wird nach Änderungen gefragt…</translation>
    </message>
    <message>
        <source>Sending changes…</source>
        <translation>Änderungen werden gesendet…</translation>
    </message>
    <message>
        <source>: the appointment file is full</source>
        <translation>: die Termindatei ist voll</translation>
    </message>
    <message>
        <source>: the address book is full</source>
        <translation>: das Adressbuch ist voll</translation>
    </message>
    <message>
        <source>Storing changes…</source>
        <translation>Änderungen werden gespeichert…</translation>
    </message>
    <message>
        <source>The items kept changing while syncing; sync again later.</source>
        <translation>Die Einträge haben sich während des Abgleichs ständig geändert; gleichen Sie später erneut ab.</translation>
    </message>
    <message>
        <source>an event</source>
        <translation>ein Ereignis</translation>
    </message>
    <message>
        <source>the birthday of %1</source>
        <translation>der Geburtstag von %1</translation>
    </message>
    <message>
        <source>birthdays are kept in the address book</source>
        <translation>Geburtstage werden im Adressbuch geführt</translation>
    </message>
    <message>
        <source>an entry without an event</source>
        <translation>ein Eintrag ohne Ereignis</translation>
    </message>
    <message>
        <source>it holds no event</source>
        <translation>er enthält kein Ereignis</translation>
    </message>
    <message>
        <source>a contact</source>
        <translation>ein Kontakt</translation>
    </message>
    <message>
        <source>it holds no contact</source>
        <translation>er enthält keinen Kontakt</translation>
    </message>
    <message>
        <source>it holds several contacts</source>
        <translation>er enthält mehrere Kontakte</translation>
    </message>
    <message>
        <source>No password is saved for %1. Enter it in the sync settings (or set %2).</source>
        <translation>Für %1 ist kein Passwort gespeichert. Geben Sie es in den Abgleich-Einstellungen ein (oder setzen Sie %2).</translation>
    </message>
    <message>
        <source>The password could not be read from the desktop&apos;s secret store (%1).</source>
        <translation>Das Passwort konnte nicht aus dem Schlüsselbund der Arbeitsumgebung gelesen werden (%1).</translation>
    </message>
    <message>
        <source>The password could not be saved in the desktop&apos;s secret store (%1). It is used for this session only.</source>
        <translation>Das Passwort konnte nicht im Schlüsselbund der Arbeitsumgebung gespeichert werden (%1). Es gilt nur für diese Sitzung.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; on %2</source>
        <translation>„%1“ am %2</translation>
    </message>
    <message>
        <source>Sync stopped. Nothing was lost: the next sync finishes what this one began.</source>
        <translation>Abgleich angehalten. Nichts ging verloren: der nächste Abgleich beendet, was dieser begonnen hat.</translation>
    </message>
    <message>
        <source>Comparing changes…</source>
        <translation>Änderungen werden verglichen…</translation>
    </message>
    <message>
        <source>This sync would delete %1 of %2 %3 %4%5. Delete them?</source>
        <translation>Dieser Abgleich würde %1 von %2 %3 %4 löschen%5. Löschen?</translation>
    </message>
    <message>
        <source>here</source>
        <translation>hier</translation>
    </message>
    <message>
        <source>on the server</source>
        <translation>auf dem Server</translation>
    </message>
    <message>
        <source>, %1 edited here but deleted on the server, put back there (%2)</source>
        <translation>, %1 hier geändert, aber auf dem Server gelöscht und dort wiederhergestellt (%2)</translation>
    </message>
    <message>
        <source>, %1 missing from the files (changed by another program) and brought back from the server (%2)</source>
        <translation>, %1 fehlten in den Dateien (von einem anderen Programm geändert) und wurden vom Server zurückgeholt (%2)</translation>
    </message>
    <message>
        <source>, %1 held without details that do not fit here, which stay on the server (%2)</source>
        <translation>, %1 ohne Angaben übernommen, die hier keinen Platz haben und auf dem Server bleiben (%2)</translation>
    </message>
    <message>
        <source>This sync would delete %1 of %2 %3 %4</source>
        <translation>Dieser Abgleich würde %1 von %2 %3 %4 löschen</translation>
    </message>
    <message>
        <source>. Nothing was changed.</source>
        <translation>. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>: no room left to keep the server&apos;s copy; edits to it wait</source>
        <translation>: kein Platz mehr für die Kopie des Servers; Änderungen daran warten</translation>
    </message>
    <message>
        <source>appointments</source>
        <translation>Terminen</translation>
    </message>
    <message>
        <source>address book entries</source>
        <translation>Adressbucheinträgen</translation>
    </message>
    <message>
        <source>: the server&apos;s copy is not at hand; it is sent on the next sync</source>
        <translation>: die Kopie des Servers liegt nicht vor; es wird beim nächsten Abgleich gesendet</translation>
    </message>
    <message>
        <source>: its name is taken here and its card cannot be renamed</source>
        <translation>: sein Name ist hier schon vergeben, und seine Karte lässt sich nicht umbenennen</translation>
    </message>
    <message>
        <source>it changed on the server meanwhile; it is compared again on the next sync</source>
        <translation>es wurde inzwischen auf dem Server geändert; beim nächsten Abgleich wird es erneut verglichen</translation>
    </message>
    <message>
        <source>The address %1 must not hold a user name or password. Give the user name in its own field; the password is kept in the desktop&apos;s secret store, never in a file.</source>
        <translation>Die Adresse %1 darf keinen Benutzernamen und kein Passwort enthalten. Geben Sie den Benutzernamen in seinem eigenen Feld an; das Passwort wird im Schlüsselbund der Arbeitsumgebung aufbewahrt, nie in einer Datei.</translation>
    </message>
    <message>
        <source>The address %1 is not on the server you named (%2), so Quorvel does not use it and sends no password there. Choose the calendar and address book again in the sync settings.</source>
        <translation>Die Adresse %1 liegt nicht auf dem angegebenen Server (%2); Quorvel verwendet sie deshalb nicht und sendet kein Passwort dorthin. Wählen Sie Kalender und Adressbuch in den Abgleich-Einstellungen neu.</translation>
    </message>
    <message>
        <source>The server sent Quorvel on to another address (%1, status %2). The password is only sent to the server you named: if that address is right, enter it as the server address.</source>
        <translation>Der Server hat Quorvel an eine andere Adresse weitergeleitet (%1, Status %2). Das Passwort wird nur an den angegebenen Server gesendet: Wenn diese Adresse stimmt, geben Sie sie als Serveradresse ein.</translation>
    </message>
    <message>
        <source>The server took longer than %1 seconds to answer one request (%2). Try again later.</source>
        <translation>Der Server brauchte für eine Anfrage länger als %1 Sekunden (%2). Versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>The sync took longer than %1 minutes and was stopped. Nothing was lost: the next sync finishes what this one began.</source>
        <translation>Der Abgleich dauerte länger als %1 Minuten und wurde beendet. Nichts ging verloren: Der nächste Abgleich beendet, was dieser begonnen hat.</translation>
    </message>
    <message>
        <source>The sync took longer than %1 seconds and was stopped. Nothing was lost: the next sync finishes what this one began.</source>
        <translation>Der Abgleich dauerte länger als %1 Sekunden und wurde beendet. Nichts ging verloren: Der nächste Abgleich beendet, was dieser begonnen hat.</translation>
    </message>
    <message>
        <source>The server&apos;s reply to %1 was larger than Quorvel accepts (more than %2 MiB), so the sync stopped. Nothing was changed here by that reply.</source>
        <translation>Die Antwort des Servers auf %1 war größer, als Quorvel annimmt (mehr als %2 MiB); der Abgleich wurde deshalb beendet. Durch diese Antwort wurde hier nichts geändert.</translation>
    </message>
    <message>
        <source>The server&apos;s reply to %1 listed more than %2 items, more than Quorvel accepts, so the sync stopped. Nothing was changed here by that reply.</source>
        <translation>Die Antwort des Servers auf %1 nannte mehr als %2 Einträge, mehr als Quorvel annimmt; der Abgleich wurde deshalb beendet. Durch diese Antwort wurde hier nichts geändert.</translation>
    </message>
    <message>
        <source>, %1 ignored: the server named them outside their collection (%2)</source>
        <translation>, %1 übergangen: Der Server nannte sie außerhalb ihrer Sammlung (%2)</translation>
    </message>
    <message>
        <source>Sync.dat holds a password inside the server&apos;s address, and it could not be removed: %1</source>
        <translation>Sync.dat enthält ein Passwort in der Adresse des Servers, und es konnte nicht entfernt werden: %1</translation>
    </message>
    <message>
        <source>The password that was saved inside the server&apos;s address was removed from Sync.dat; the password already saved is used.</source>
        <translation>Das Passwort, das in der Adresse des Servers gespeichert war, wurde aus Sync.dat entfernt; das bereits gespeicherte Passwort wird verwendet.</translation>
    </message>
    <message>
        <source>The password that was saved inside the server&apos;s address was moved from Sync.dat into the desktop&apos;s secret store.</source>
        <translation>Das Passwort, das in der Adresse des Servers gespeichert war, wurde aus Sync.dat in den Schlüsselbund der Arbeitsumgebung verschoben.</translation>
    </message>
    <message>
        <source>The password that was saved inside the server&apos;s address was removed from Sync.dat, but the desktop&apos;s secret store could not take it (%1): enter it again in the sync settings.</source>
        <translation>Das Passwort, das in der Adresse des Servers gespeichert war, wurde aus Sync.dat entfernt, konnte aber nicht im Schlüsselbund der Arbeitsumgebung gespeichert werden (%1): Geben Sie es in den Abgleich-Einstellungen erneut ein.</translation>
    </message>
    <message>
        <source>: Events.dat is full</source>
        <translation>: Events.dat ist voll</translation>
    </message>
    <message>
        <source>: it cannot be kept in Events.dat</source>
        <translation>: er kann nicht in Events.dat aufbewahrt werden</translation>
    </message>
    <message>
        <source>it is too large to keep here</source>
        <translation>er ist zu groß, um hier aufbewahrt zu werden</translation>
    </message>
    <message>
        <source>it no longer holds exactly one event</source>
        <translation>er enthält nicht mehr genau ein Ereignis</translation>
    </message>
    <message>
        <source>Events.dat holds events that no longer read; events missing here are not deleted on the server</source>
        <translation>Events.dat enthält Ereignisse, die sich nicht mehr lesen lassen; hier fehlende Ereignisse werden auf dem Server nicht gelöscht</translation>
    </message>
    <message>
        <source>another resource on the server holds an event of the same UID</source>
        <translation>eine andere Ressource auf dem Server enthält ein Ereignis mit derselben UID</translation>
    </message>
    <message>
        <source>it holds several events</source>
        <translation>er enthält mehrere Ereignisse</translation>
    </message>
    <message>
        <source>an appointment here cannot hold it</source>
        <translation>ein Termin hier kann ihn nicht aufnehmen</translation>
    </message>
</context>
<context>
    <name>SyncCommandLine</name>
    <message>
        <source>Sync failed: the sync state in Sync.dat is damaged. Set up sync again to start over.</source>
        <translation>Abgleich fehlgeschlagen: Der Abgleichstand in Sync.dat ist beschädigt. Richten Sie den Abgleich neu ein, um von vorn zu beginnen.</translation>
    </message>
    <message>
        <source>Sync failed: sync is not set up. Choose &quot;Sync…&quot; in the menu, or give --server URL --user NAME.</source>
        <translation>Abgleich fehlgeschlagen: Der Abgleich ist nicht eingerichtet. Wählen Sie „Abgleich…“ im Menü oder geben Sie --server URL --user NAME an.</translation>
    </message>
    <message>
        <source>Sync failed: </source>
        <translation>Abgleich fehlgeschlagen: </translation>
    </message>
    <message>
        <source>Sync with the CalDAV/CardDAV server set up in &quot;Sync…&quot; and exit (the password comes from the desktop&apos;s secret store or QUORVEL_SYNC_PASSWORD).</source>
        <translation>Mit dem unter „Abgleich…“ eingerichteten CalDAV/CardDAV-Server abgleichen und beenden (das Passwort kommt aus dem Schlüsselbund der Arbeitsumgebung oder aus QUORVEL_SYNC_PASSWORD).</translation>
    </message>
    <message>
        <source>With --sync: the server&apos;s address.</source>
        <translation>Mit --sync: die Adresse des Servers.</translation>
    </message>
    <message>
        <source>With --sync: the user name on the server.</source>
        <translation>Mit --sync: der Benutzername auf dem Server.</translation>
    </message>
    <message>
        <source>--server and --user go with --sync.</source>
        <translation>--server und --user gehören zu --sync.</translation>
    </message>
    <message>
        <source>--server and --user are given together.</source>
        <translation>--server und --user werden zusammen angegeben.</translation>
    </message>
    <message>
        <source>The server address must start with https:// (http:// only for this computer).</source>
        <translation>Die Serveradresse muss mit https:// beginnen (http:// nur für diesen Rechner).</translation>
    </message>
    <message>
        <source> Give --allow-deletes to let it.</source>
        <translation> Mit --allow-deletes wird es erlaubt.</translation>
    </message>
    <message>
        <source>With --sync: go on when the sync would delete more than a few items, or most of a calendar or address book.</source>
        <translation>Mit --sync: auch dann fortfahren, wenn der Abgleich mehr als einige Einträge oder den größten Teil eines Kalenders oder Adressbuchs löschen würde.</translation>
    </message>
    <message>
        <source>--allow-deletes goes with --sync.</source>
        <translation>--allow-deletes gehört zu --sync.</translation>
    </message>
    <message>
        <source>The server address must not hold a user name or password: give the user name with --user, and the password in the desktop&apos;s secret store or QUORVEL_SYNC_PASSWORD.</source>
        <translation>Die Serveradresse darf keinen Benutzernamen und kein Passwort enthalten: Geben Sie den Benutzernamen mit --user an und das Passwort im Schlüsselbund der Arbeitsumgebung oder in QUORVEL_SYNC_PASSWORD.</translation>
    </message>
</context>
<context>
    <name>Undo</name>
    <message>
        <source>Restore…</source>
        <translation>Sicherung zurückspielen…</translation>
    </message>
    <message>
        <source>There is nothing to undo.</source>
        <translation>Es gibt nichts rückgängig zu machen.</translation>
    </message>
    <message>
        <source>There is nothing to redo.</source>
        <translation>Es gibt nichts wiederherzustellen.</translation>
    </message>
    <message>
        <source>This change cannot be undone: %1 has changed since it was made (by a sync or another program), and undoing it would overwrite that. Nothing was changed.</source>
        <translation>Diese Änderung lässt sich nicht rückgängig machen: %1 wurde seitdem geändert (durch einen Abgleich oder ein anderes Programm), und das Rückgängigmachen würde das überschreiben. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>This change cannot be redone: %1 has changed since it was undone (by a sync or another program), and redoing it would overwrite that. Nothing was changed.</source>
        <translation>Diese Änderung lässt sich nicht wiederherstellen: %1 wurde geändert, seit sie rückgängig gemacht wurde (durch einen Abgleich oder ein anderes Programm), und das Wiederherstellen würde das überschreiben. Es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>Undo Appointment Change</source>
        <translation>Terminänderung rückgängig machen</translation>
    </message>
    <message>
        <source>Redo Appointment Change</source>
        <translation>Terminänderung wiederherstellen</translation>
    </message>
    <message>
        <source>Undo Note Change</source>
        <translation>Notizänderung rückgängig machen</translation>
    </message>
    <message>
        <source>Redo Note Change</source>
        <translation>Notizänderung wiederherstellen</translation>
    </message>
    <message>
        <source>Undo Address Book Change</source>
        <translation>Adressbuchänderung rückgängig machen</translation>
    </message>
    <message>
        <source>Redo Address Book Change</source>
        <translation>Adressbuchänderung wiederherstellen</translation>
    </message>
    <message>
        <source>Undo Changes</source>
        <translation>Änderungen rückgängig machen</translation>
    </message>
    <message>
        <source>Redo Changes</source>
        <translation>Änderungen wiederherstellen</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederherstellen</translation>
    </message>
</context>
<context>
    <name>quorvel::ActivitiesWindow</name>
    <message>
        <source>Activities</source>
        <translation>Tagesaktivitäten</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>View Schedule</source>
        <translation>Tagesplan</translation>
    </message>
    <message>
        <source>Appointments</source>
        <translation>Termine</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>Minutes before meeting</source>
        <translation>Minuten vor dem Termin</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Memos</source>
        <translation>Hinweise</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>, repeats</source>
        <translation>, wiederholt sich</translation>
    </message>
    <message>
        <source>All day</source>
        <translation>Ganztägig</translation>
    </message>
    <message>
        <source>%1–%2</source>
        <translation>%1–%2</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>Location: %1</source>
        <translation>Ort: %1</translation>
    </message>
</context>
<context>
    <name>quorvel::AddressBookWindow</name>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Business #1</source>
        <translation>Geschäftlich 1</translation>
    </message>
    <message>
        <source>Business #2</source>
        <translation>Geschäftlich 2</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message>
        <source>Fax</source>
        <translation>Fax</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstige</translation>
    </message>
    <message>
        <source>Address Book</source>
        <translation>Adressbuch</translation>
    </message>
    <message>
        <source>Entries whose surname starts with %1</source>
        <translation>Einträge, deren Nachname mit %1 beginnt</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>View Details</source>
        <translation>Details zeigen</translation>
    </message>
    <message>
        <source>Telephone Numbers</source>
        <translation>Telefonnummern</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Birthday:</source>
        <translation>Geburtstag:</translation>
    </message>
    <message>
        <source>e-mail:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>Home Page:</source>
        <translation>Homepage:</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Notizen:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Add Entry</source>
        <translation>Neuer Eintrag</translation>
    </message>
    <message>
        <source>Edit Entry</source>
        <translation>Eintrag ändern</translation>
    </message>
    <message>
        <source>Delete Entry</source>
        <translation>Eintrag löschen</translation>
    </message>
    <message>
        <source>View Address</source>
        <translation>Adresse zeigen</translation>
    </message>
</context>
<context>
    <name>quorvel::AddressEditorWindow</name>
    <message>
        <source>Name:</source>
        <translation>Vorname:</translation>
    </message>
    <message>
        <source>Surname:</source>
        <translation>Nachname:</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Adresse:</translation>
    </message>
    <message>
        <source>e-mail:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>Home Page:</source>
        <translation>Homepage:</translation>
    </message>
    <message>
        <source>Notes:</source>
        <translation>Notizen:</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Business #1</source>
        <translation>Geschäftlich 1</translation>
    </message>
    <message>
        <source>Business #2</source>
        <translation>Geschäftlich 2</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message>
        <source>Fax</source>
        <translation>Fax</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Sonstige</translation>
    </message>
    <message>
        <source>Add Address Book Entry</source>
        <translation>Adressbucheintrag hinzufügen</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>Geburtstag</translation>
    </message>
    <message>
        <source>Birthday date</source>
        <translation>Geburtsdatum</translation>
    </message>
    <message>
        <source>Phone Numbers</source>
        <translation>Telefonnummern</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Edit Address Book Entry</source>
        <translation>Adressbucheintrag ändern</translation>
    </message>
    <message>
        <source>You need to supply a Surname!</source>
        <translation>Bitte geben Sie einen Nachnamen an!</translation>
    </message>
    <message>
        <source>The entry &quot;%1&quot; was changed or deleted while you were editing it (by a sync, for example), so your changes cannot be stored over it.

Save them as a new entry, or discard them?</source>
        <translation>Der Eintrag &quot;%1&quot; wurde geändert oder gelöscht, während Sie ihn bearbeitet haben (zum Beispiel durch eine Synchronisierung). Ihre Änderungen können daher nicht darüber gespeichert werden.

Als neuen Eintrag speichern oder verwerfen?</translation>
    </message>
    <message>
        <source>Save as New</source>
        <translation>Als neu speichern</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
</context>
<context>
    <name>quorvel::AppointmentEditorWindow</name>
    <message>
        <source>Add Appointment</source>
        <translation>Termin hinzufügen</translation>
    </message>
    <message>
        <source>Appointments</source>
        <translation>Termine</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>Minutes before meeting</source>
        <translation>Minuten vor dem Termin</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Edit Appointment</source>
        <translation>Termin ändern</translation>
    </message>
    <message>
        <source>You need to specify a Start-Time for the Appointment</source>
        <translation>Bitte geben Sie einen Beginn für den Termin an</translation>
    </message>
    <message>
        <source>You need to specify an End-Time for the Appointment</source>
        <translation>Bitte geben Sie ein Ende für den Termin an</translation>
    </message>
    <message>
        <source>The duration of the meeting must be greater than 0 minutes!</source>
        <translation>Der Termin muss länger als 0 Minuten dauern!</translation>
    </message>
    <message>
        <source>You need to specify a Subject for the Appointment</source>
        <translation>Bitte geben Sie einen Betreff für den Termin an</translation>
    </message>
    <message>
        <source>The appointment &quot;%1&quot; was changed or deleted while you were editing it (by a sync, for example), so your changes cannot be stored over it.

Save them as a new appointment, or discard them?</source>
        <translation>Der Termin &quot;%1&quot; wurde geändert oder gelöscht, während Sie ihn bearbeitet haben (zum Beispiel durch eine Synchronisierung). Ihre Änderungen können daher nicht darüber gespeichert werden.

Als neuen Termin speichern oder verwerfen?</translation>
    </message>
    <message>
        <source>Save as New</source>
        <translation>Als neu speichern</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>A repeating appointment needs its times as hours and minutes, such as 09:30.</source>
        <translation>Ein sich wiederholender Termin braucht seine Zeiten als Stunden und Minuten, etwa 09:30.</translation>
    </message>
    <message>
        <source>The minutes before the meeting must be a number.</source>
        <translation>Die Minuten vor dem Termin müssen eine Zahl sein.</translation>
    </message>
    <message>
        <source>The repeating cannot end before the day it begins.</source>
        <translation>Die Wiederholung kann nicht vor dem Tag enden, an dem sie beginnt.</translation>
    </message>
    <message>
        <source>The appointment cannot be stored: the file of repeating and all-day appointments is full.</source>
        <translation>Der Termin kann nicht gespeichert werden: Die Datei der sich wiederholenden und ganztägigen Termine ist voll.</translation>
    </message>
    <message>
        <source>&amp;All day</source>
        <translation>&amp;Ganztägig</translation>
    </message>
    <message>
        <source>&amp;Repeats</source>
        <translation>&amp;Wiederholung</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Täglich</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Wöchentlich</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Monatlich</translation>
    </message>
    <message>
        <source>Yearly</source>
        <translation>Jährlich</translation>
    </message>
    <message>
        <source>Repeats</source>
        <translation>Wiederholung</translation>
    </message>
    <message>
        <source>As set elsewhere</source>
        <translation>Wie anderswo festgelegt</translation>
    </message>
</context>
<context>
    <name>quorvel::DateBox</name>
    <message>
        <source>&quot;%1&quot; is not a date. Please type the date as day/month/year, for example 07/08/1990.</source>
        <translation>„%1“ ist kein Datum. Bitte geben Sie das Datum als Tag/Monat/Jahr ein, zum Beispiel 07/08/1990.</translation>
    </message>
</context>
<context>
    <name>quorvel::DayScheduleWindow</name>
    <message>
        <source>Day Schedule</source>
        <translation>Tagesplan</translation>
    </message>
    <message>
        <source>Day schedule</source>
        <translation>Tagesplan</translation>
    </message>
    <message>
        <source>Appointment</source>
        <translation>Termin</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Day Schedule for - </source>
        <translation>Tagesplan für - </translation>
    </message>
    <message>
        <source>Total Occupation</source>
        <translation>Gesamtbelegung</translation>
    </message>
    <message>
        <source>All day: %1</source>
        <translation>Ganztägig: %1</translation>
    </message>
</context>
<context>
    <name>quorvel::FindResultsModel</name>
    <message>
        <source>Appointments (%1)</source>
        <translation>Termine (%1)</translation>
    </message>
    <message>
        <source>Notes (%1)</source>
        <translation>Notizen (%1)</translation>
    </message>
    <message>
        <source>Address entries (%1)</source>
        <translation>Adresseinträge (%1)</translation>
    </message>
    <message>
        <source>No group</source>
        <translation>Keine Gruppe</translation>
    </message>
    <message>
        <source>Group %1</source>
        <translation>Gruppe %1</translation>
    </message>
    <message>
        <source>Appointment</source>
        <translation>Termin</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>Address entry</source>
        <translation>Adresseintrag</translation>
    </message>
    <message>
        <source>Date or group</source>
        <translation>Datum oder Gruppe</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Matching text</source>
        <translation>Gefundener Text</translation>
    </message>
    <message>
        <source>All day</source>
        <translation>Ganztägig</translation>
    </message>
    <message>
        <source>, repeats</source>
        <translation>, wiederholt sich</translation>
    </message>
</context>
<context>
    <name>quorvel::FindWindow</name>
    <message>
        <source>This item is no longer stored. The results have been read again.</source>
        <translation>Dieser Eintrag ist nicht mehr gespeichert. Die Ergebnisse wurden neu gelesen.</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>Words to find in appointments, notes and address entries; every word must match.</source>
        <translation>Wörter, die in Terminen, Notizen und Adresseinträgen gesucht werden; jedes Wort muss vorkommen.</translation>
    </message>
    <message>
        <source>Words to find</source>
        <translation>Gesuchte Wörter</translation>
    </message>
    <message>
        <source>Found</source>
        <translation>Gefunden</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Suche läuft…</translation>
    </message>
    <message>
        <source>Type the words to find.</source>
        <translation>Geben Sie die gesuchten Wörter ein.</translation>
    </message>
    <message>
        <source>Nothing found.</source>
        <translation>Nichts gefunden.</translation>
    </message>
    <message>
        <source>1 found.</source>
        <translation>1 gefunden.</translation>
    </message>
    <message>
        <source>%1 found.</source>
        <translation>%1 gefunden.</translation>
    </message>
    <message>
        <source>Group %1</source>
        <translation>Gruppe %1</translation>
    </message>
    <message>
        <source>No group</source>
        <translation>Keine Gruppe</translation>
    </message>
    <message>
        <source>Appointments (%1)</source>
        <translation>Termine (%1)</translation>
    </message>
    <message>
        <source>Notes (%1)</source>
        <translation>Notizen (%1)</translation>
    </message>
    <message>
        <source>Address entries (%1)</source>
        <translation>Adresseinträge (%1)</translation>
    </message>
    <message>
        <source>All day</source>
        <translation>Ganztägig</translation>
    </message>
</context>
<context>
    <name>quorvel::HelpPageWindow</name>
    <message>
        <source>Index</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Vorige Seite</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>en</source>
        <comment>Language code of the folder of the translated help pages</comment>
        <translation>de</translation>
    </message>
</context>
<context>
    <name>quorvel::HelpTopicsWindow</name>
    <message>
        <source>Help Topics</source>
        <translation>Hilfethemen</translation>
    </message>
    <message>
        <source>Getting Started</source>
        <translation>Erste Schritte</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>How to add an appointment</source>
        <translation>Einen Termin hinzufügen</translation>
    </message>
    <message>
        <source>How to view an appointment</source>
        <translation>Einen Termin ansehen</translation>
    </message>
    <message>
        <source>How to edit an appointment</source>
        <translation>Einen Termin ändern</translation>
    </message>
    <message>
        <source>How to delete an appointment</source>
        <translation>Einen Termin löschen</translation>
    </message>
    <message>
        <source>How to view the schedule for a specific day</source>
        <translation>Den Tagesplan eines bestimmten Tages ansehen</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>How to add a note</source>
        <translation>Eine Notiz hinzufügen</translation>
    </message>
    <message>
        <source>How to view a note</source>
        <translation>Eine Notiz ansehen</translation>
    </message>
    <message>
        <source>How to edit a note</source>
        <translation>Eine Notiz ändern</translation>
    </message>
    <message>
        <source>How to delete a note</source>
        <translation>Eine Notiz löschen</translation>
    </message>
    <message>
        <source>Address Book</source>
        <translation>Adressbuch</translation>
    </message>
    <message>
        <source>How to add an entry</source>
        <translation>Einen Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>How to view an entry</source>
        <translation>Einen Eintrag ansehen</translation>
    </message>
    <message>
        <source>How to edit an entry</source>
        <translation>Einen Eintrag ändern</translation>
    </message>
    <message>
        <source>How to delete an entry</source>
        <translation>Einen Eintrag löschen</translation>
    </message>
</context>
<context>
    <name>quorvel::MainWindow</name>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>Contacts</source>
        <translation>Kontakte</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>You have an appointment today!</source>
        <translation>Sie haben heute einen Termin!</translation>
    </message>
    <message>
        <source>Address Book</source>
        <translation>Adressbuch</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansicht</translation>
    </message>
    <message>
        <source>Import…</source>
        <translation>Importieren…</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>Sync…</source>
        <translation>Abgleich…</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über Quorvel</translation>
    </message>
    <message>
        <source>Help Topics</source>
        <translation>Hilfethemen</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Find…</source>
        <translation>Suchen…</translation>
    </message>
    <message>
        <source>Remind me when Quorvel is closed</source>
        <translation>Erinnern, auch wenn Quorvel geschlossen ist</translation>
    </message>
    <message>
        <source>Quorvel could not change the login start of its reminders.</source>
        <translation>Quorvel konnte den Start seiner Erinnerungen bei der Anmeldung nicht ändern.</translation>
    </message>
</context>
<context>
    <name>quorvel::MonthCalendarWindow</name>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>Birthday</source>
        <translation>Geburtstag</translation>
    </message>
    <message>
        <source>Appointment</source>
        <translation>Termin</translation>
    </message>
    <message>
        <source>Birthday
Appointment</source>
        <translation>Geburtstag
Termin</translation>
    </message>
    <message>
        <source>Legend: Birthday, Appointment</source>
        <translation>Legende: Geburtstag, Termin</translation>
    </message>
    <message>
        <source>Previous month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Next month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Repeating event</source>
        <translation>Serientermin</translation>
    </message>
    <message>
        <source>All-day event</source>
        <translation>Ganztägiger Termin</translation>
    </message>
    <message>
        <source>Repeating
All day</source>
        <translation>Serie
Ganztägig</translation>
    </message>
    <message>
        <source>Legend: Repeating event, All-day event</source>
        <translation>Legende: Serientermin, ganztägiger Termin</translation>
    </message>
</context>
<context>
    <name>quorvel::NotesListModel</name>
    <message>
        <source>Nr.</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
</context>
<context>
    <name>quorvel::NotesWindow</name>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Note pad</source>
        <translation>Notizblock</translation>
    </message>
    <message>
        <source>Saved notes</source>
        <translation>Gespeicherte Notizen</translation>
    </message>
    <message>
        <source>Clear Pad</source>
        <translation>Block leeren</translation>
    </message>
    <message>
        <source>&lt;&lt; View Note</source>
        <translation>&lt;&lt; Notiz zeigen</translation>
    </message>
    <message>
        <source>Delete Note</source>
        <translation>Notiz löschen</translation>
    </message>
    <message>
        <source>Save Note As:</source>
        <translation>Speichern als:</translation>
    </message>
    <message>
        <source>Note title</source>
        <translation>Titel der Notiz</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
</context>
<context>
    <name>quorvel::ReminderWindow</name>
    <message>
        <source>Reminder</source>
        <translation>Erinnerung</translation>
    </message>
    <message>
        <source>You have a meeting in</source>
        <translation>Ihr Termin beginnt in</translation>
    </message>
    <message>
        <source>Minutes before the meeting</source>
        <translation>Minuten vor dem Termin</translation>
    </message>
    <message>
        <source>minutes.</source>
        <translation>Minuten.</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Betreff:</translation>
    </message>
    <message>
        <source>Subject</source>
        <translation>Betreff</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>End Time</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Missed Reminder</source>
        <translation>Verpasste Erinnerung</translation>
    </message>
</context>
<context>
    <name>quorvel::RepeatPanel</name>
    <message>
        <source>Monday</source>
        <translation>Montag</translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation>Dienstag</translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation>Mittwoch</translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation>Donnerstag</translation>
    </message>
    <message>
        <source>Friday</source>
        <translation>Freitag</translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation>Samstag</translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation>Sonntag</translation>
    </message>
    <message>
        <source>Mo</source>
        <translation>Mo</translation>
    </message>
    <message>
        <source>Tu</source>
        <translation>Di</translation>
    </message>
    <message>
        <source>We</source>
        <translation>Mi</translation>
    </message>
    <message>
        <source>Th</source>
        <translation>Do</translation>
    </message>
    <message>
        <source>Fr</source>
        <translation>Fr</translation>
    </message>
    <message>
        <source>Sa</source>
        <translation>Sa</translation>
    </message>
    <message>
        <source>Su</source>
        <translation>So</translation>
    </message>
    <message>
        <source>first</source>
        <translation>ersten</translation>
    </message>
    <message>
        <source>second</source>
        <translation>zweiten</translation>
    </message>
    <message>
        <source>third</source>
        <translation>dritten</translation>
    </message>
    <message>
        <source>fourth</source>
        <translation>vierten</translation>
    </message>
    <message>
        <source>last</source>
        <translation>letzten</translation>
    </message>
    <message>
        <source>Ever&amp;y</source>
        <translation>Al&amp;le</translation>
    </message>
    <message>
        <source>Every how many weeks</source>
        <translation>Alle wie viele Wochen</translation>
    </message>
    <message>
        <source>week(s), on</source>
        <translation>Woche(n), am</translation>
    </message>
    <message>
        <source>Repeats monthly on</source>
        <translation>Monatlich am</translation>
    </message>
    <message>
        <source>&amp;Ends</source>
        <translation>&amp;Endet</translation>
    </message>
    <message>
        <source>Never</source>
        <translation>Nie</translation>
    </message>
    <message>
        <source>On date</source>
        <translation>Am Datum</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Nach</translation>
    </message>
    <message>
        <source>Ends</source>
        <translation>Endet</translation>
    </message>
    <message>
        <source>Last day</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source>Number of times</source>
        <translation>Anzahl der Male</translation>
    </message>
    <message>
        <source>times</source>
        <translation>Mal</translation>
    </message>
    <message>
        <source>On day %1</source>
        <translation>Am %1.</translation>
    </message>
    <message>
        <source>On the %1 %2</source>
        <translation>Am %1 %2</translation>
    </message>
</context>
<context>
    <name>quorvel::RestoreWindow</name>
    <message>
        <source>Restore</source>
        <translation>Sicherung zurückspielen</translation>
    </message>
    <message>
        <source>Quorvel keeps a copy of all its files once a day, before every import and before the first sync. Choose one to put back:</source>
        <translation>Quorvel legt einmal am Tag, vor jedem Import und vor dem ersten Abgleich eine Kopie aller seiner Dateien an. Wählen Sie die, die zurückgespielt werden soll:</translation>
    </message>
    <message>
        <source>Backups</source>
        <translation>Sicherungen</translation>
    </message>
    <message>
        <source>The backups of this data folder, newest first</source>
        <translation>Die Sicherungen dieses Datenordners, die neueste zuerst</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Taken</source>
        <translation>Anlass</translation>
    </message>
    <message>
        <source>Appointments</source>
        <translation>Termine</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Entries</source>
        <translation>Einträge</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>&amp;Restore…</source>
        <translation>&amp;Zurückspielen…</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>There are no backups of this data folder yet.</source>
        <translation>Von diesem Datenordner gibt es noch keine Sicherungen.</translation>
    </message>
    <message>
        <source>Backups kept: %1, taking %2 in all, in %3 (the newest %4 are kept).</source>
        <translation>Aufbewahrte Sicherungen: %1, zusammen %2, in %3 (die neuesten %4 werden aufbewahrt).</translation>
    </message>
    <message>
        <source>The backup of %1 was put back.</source>
        <translation>Die Sicherung vom %1 wurde zurückgespielt.</translation>
    </message>
    <message>
        <source>Put back the backup of %1?

It holds %2 appointments, %3 repeating or all-day appointments, %4 notes and %5 address book entries. They replace everything the files hold now: %6 appointments, %7 repeating or all-day appointments, %8 notes and %9 entries. What the files hold now is kept as a backup first, so this can be reversed with Restore… as well.</source>
        <translation>Die Sicherung vom %1 zurückspielen?

Sie enthält %2 Termine, %3 sich wiederholende oder ganztägige Termine, %4 Notizen und %5 Adressbucheinträge. Sie ersetzen alles, was die Dateien jetzt enthalten: %6 Termine, %7 sich wiederholende oder ganztägige Termine, %8 Notizen und %9 Einträge. Was die Dateien jetzt enthalten, wird vorher gesichert; auch das lässt sich also mit „Sicherung zurückspielen…“ rückgängig machen.</translation>
    </message>
</context>
<context>
    <name>quorvel::SplashWindow</name>
    <message>
        <source>About Quorvel</source>
        <translation>Über Quorvel</translation>
    </message>
    <message>
        <source>Quorvel logo</source>
        <translation>Quorvel-Logo</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Version 1.0</translation>
    </message>
    <message>
        <source>Contact us:</source>
        <translation>Kontakt:</translation>
    </message>
    <message>
        <source>Data folder:</source>
        <translation>Datenordner:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Data folder</source>
        <translation>Datenordner</translation>
    </message>
</context>
<context>
    <name>quorvel::SyncWindow</name>
    <message>
        <source>Sync</source>
        <translation>Abgleich</translation>
    </message>
    <message>
        <source>Stop the Sync</source>
        <translation>Abgleich abbrechen</translation>
    </message>
    <message>
        <source>Delete Them</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>(saved in the desktop&apos;s secret store)</source>
        <translation>(im Schlüsselbund der Arbeitsumgebung gespeichert)</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>Address book</source>
        <translation>Adressbuch</translation>
    </message>
    <message>
        <source>Sync &amp;automatically at start-up and every 5 minutes</source>
        <translation>&amp;Automatisch beim Start und alle 5 Minuten abgleichen</translation>
    </message>
    <message>
        <source>&amp;Find calendars</source>
        <translation>Kalender &amp;suchen</translation>
    </message>
    <message>
        <source>Sa&amp;ve</source>
        <translation>S&amp;peichern</translation>
    </message>
    <message>
        <source>Sync &amp;now</source>
        <translation>&amp;Jetzt abgleichen</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>Sync progress</source>
        <translation>Fortschritt des Abgleichs</translation>
    </message>
    <message>
        <source>Sync status</source>
        <translation>Stand des Abgleichs</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>User name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Sync automatically</source>
        <translation>Automatisch abgleichen</translation>
    </message>
    <message>
        <source>Find calendars</source>
        <translation>Kalender suchen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Sync now</source>
        <translation>Jetzt abgleichen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>&amp;Server:</source>
        <translation>Se&amp;rver:</translation>
    </message>
    <message>
        <source>&amp;User name:</source>
        <translation>&amp;Benutzername:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>Pass&amp;wort:</translation>
    </message>
    <message>
        <source>Ca&amp;lendar:</source>
        <translation>&amp;Kalender:</translation>
    </message>
    <message>
        <source>A&amp;ddress book:</source>
        <translation>A&amp;dressbuch:</translation>
    </message>
    <message>
        <source>Settings saved.</source>
        <translation>Einstellungen gespeichert.</translation>
    </message>
    <message>
        <source>The saved sync state is damaged; save the settings to start over.</source>
        <translation>Der gespeicherte Abgleichstand ist beschädigt; speichern Sie die Einstellungen, um von vorn zu beginnen.</translation>
    </message>
    <message>
        <source>Asking the server…</source>
        <translation>Der Server wird gefragt…</translation>
    </message>
    <message>
        <source>Found %1 calendars and address books.</source>
        <translation>%1 Kalender und Adressbücher gefunden.</translation>
    </message>
    <message>
        <source>A sync is running; save the settings when it has finished.</source>
        <translation>Ein Abgleich läuft; speichern Sie die Einstellungen, wenn er fertig ist.</translation>
    </message>
    <message>
        <source>Please give the server address (https://…) and the user name.</source>
        <translation>Bitte geben Sie die Serveradresse (https://…) und den Benutzernamen an.</translation>
    </message>
    <message>
        <source>Syncing…</source>
        <translation>Abgleich läuft…</translation>
    </message>
    <message>
        <source>Checking the settings with the server…</source>
        <translation>Die Einstellungen werden beim Server geprüft…</translation>
    </message>
    <message>
        <source>%1 %2 of %3</source>
        <translation>%1 %2 von %3</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>A&amp;nhalten</translation>
    </message>
    <message>
        <source>Stop sync</source>
        <translation>Abgleich anhalten</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Wird angehalten…</translation>
    </message>
</context>
<context>
    <name>quorvel::reminding::ReminderKeeper</name>
    <message>
        <source>Missed: %1</source>
        <translation>Verpasst: %1</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>Missed reminder, set %1 minutes ahead</source>
        <translation>Verpasste Erinnerung, %1 Minuten vorher gestellt</translation>
    </message>
    <message>
        <source>Reminder %1 minutes ahead</source>
        <translation>Erinnerung %1 Minuten vorher</translation>
    </message>
    <message>
        <source>Snooze %1 min</source>
        <translation>In %1 Min. erneut</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>All day</source>
        <translation>Ganztägig</translation>
    </message>
</context>
</TS>
