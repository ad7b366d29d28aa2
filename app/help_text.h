// The text of the "/?" and "/help" box: switches and exit codes for
// administrators who run the setup from a deployment script.
#pragma once

constexpr const wchar_t* kHelpText =
    L"Aufruf: setup.exe [/silent [Schalter …]]\n"
    L"\n"
    L"Ohne /silent startet der Installationsassistent. Die Schalter gelten nur "
    L"zusammen mit /silent; Groß- und Kleinschreibung zählt, ein Wert endet am "
    L"nächsten „/“.\n"
    L"\n"
    L"/silent – ohne Fenster installieren\n"
    L"/folder=Pfad – Zielverzeichnis (Vorgabe: das der früheren Installation, "
    L"sonst Programme\\Pixolum)\n"
    L"/desktop=1 – Verknüpfung „Pixolum“ auf dem Desktop\n"
    L"/thumbs=1 – Verknüpfung „Pixolum Thumbnails“ und „Durchsuchen mit Pixolum“\n"
    L"/group=1 – Programmgruppe im Startmenü\n"
    L"/allusers=1 – Verknüpfungen für alle Benutzer\n"
    L"/assoc=1 – die 49 Bildformate mit Pixolum verknüpfen, /assoc=2 alle 63 Formate\n"
    L"/assocallusers – unter Windows XP auch für alle Benutzer verknüpfen\n"
    L"/ini=Ordner – Ordner der Einstellungsdatei pixo32.ini (leer: Programmordner)\n"
    L"/log=Datei – Protokoll dorthin statt in den Startordner schreiben\n"
    L"/? oder /help – diese Übersicht\n"
    L"\n"
    L"Rückgabewerte:\n"
    L"0 – installiert\n"
    L"1 – fehlgeschlagen; der Grund steht im Protokoll Pixolum_Install.log (im "
    L"Startordner, mit /log= in der angegebenen Datei, sonst im Temp-Ordner)\n"
    L"2 – abgelehnt: Pixolum läuft";
