// The text of the "/?" and "/help" box: switches and exit codes for
// administrators who run the setup from a deployment script.
#pragma once

constexpr const wchar_t* kHelpText =
    L"Aufruf: setup.exe [/silent [Schalter …]]\n"
    L"\n"
    L"Ohne /silent startet der Assistent; die Schalter gelten nur mit /silent. "
    L"Groß-/Kleinschreibung zählt, ein Wert endet am nächsten „/“.\n"
    L"\n"
    L"/silent – ohne Fenster installieren\n"
    L"/folder=Pfad – Zielverzeichnis\n"
    L"/desktop=1 – Desktop-Verknüpfung „Pixolum“\n"
    L"/thumbs=1 – „Pixolum Thumbnails“ und „Durchsuchen mit Pixolum“\n"
    L"/group=1 – Programmgruppe im Startmenü\n"
    L"/allusers=1 – Verknüpfungen für alle Benutzer\n"
    L"/assoc=1 – die 49 Bildformate verknüpfen (2: alle 63)\n"
    L"/assocallusers – unter XP auch systemweit verknüpfen\n"
    L"/ini=Ordner – Ordner der Einstellungen (pixo32.ini)\n"
    L"/log=Datei – Protokoll in diese Datei schreiben\n"
    L"/? oder /help – diese Übersicht\n"
    L"\n"
    L"Rückgabewerte:\n"
    L"0 – installiert\n"
    L"1 – fehlgeschlagen (Grund: siehe Pixolum_Install.log)\n"
    L"2 – abgelehnt: Pixolum läuft";
