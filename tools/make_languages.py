#!/usr/bin/env python3
"""Writes data/Pathkeep.ini: the language tables (Dutch, English, German).

Each text is listed once with its three translations, so no language can miss
a key. The English messages are taken from src/app/messages.cpp, the
program's built-in table, so the English language never drifts from it.

Usage: tools/make_languages.py [OUTPUT]   (default data/Pathkeep.ini)
"""

import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

LANGUAGES = [("Nederlands", "nl"), ("English", "gb"), ("Deutsch", "ge")]

# section -> [(number, English, Dutch, German)]. English is the built-in
# default, spelled exactly as the program shows it without this file.
SECTIONS = {
    "Menus": [
        (1, "&File", "&Bestand", "&Datei"),
        (2, "&Open...", "&Openen...", "Ö&ffnen..."),
        (3, "&Save as...", "Op&slaan als...", "Speichern &unter..."),
        (4, "&Close", "Slui&ten", "&Schließen"),
        (5, "&Logging", "&Loggen", "&Protokollieren"),
        (6, "&Exit", "&Afsluiten", "&Beenden"),
        (7, "&Edit", "Be&werken", "&Bearbeiten"),
        (8, "&Cut", "&Knippen", "&Ausschneiden"),
        (9, "C&opy", "K&opiëren", "&Kopieren"),
        (10, "&Paste", "&Plakken", "&Einfügen"),
        (11, "Select &all", "&Alles selecteren", "Alles &markieren"),
        (12, "&Communication", "&Communicatie", "&Kommunikation"),
        (13, "Port &closed", "Poort &gesloten", "Port &geschlossen"),
        (14, "Port &open", "Poort &open", "Port &offen"),
        (15, "&Settings", "&Instellingen", "&Einstellungen"),
        (16, "&Reverse track", "&Track omkeren", "Track &umkehren"),
        (17, "&Language", "&Taal", "&Sprache"),
        (18, "&Registrer GPX Extension", "GPX e&xtensie koppelen", "GPX-Dateien &verknüpfen"),
        (19, "&Extra", "&Extra", "E&xtras"),
        (20, "&Gramin communication", "&Garmin communicatie", "&Garmin-Kommunikation"),
        (21, "&Help", "&Help", "&Hilfe"),
        (22, "&Readme file", "&Leesmij bestand", "&Liesmich-Datei"),
        (23, "&Pathkeep Homepage", "&Pathkeep website", "&Pathkeep-Homepage"),
        (24, "&Check for updates", "&Controleer of er updates zijn", "Nach &Updates suchen"),
        (25, "About...", "Info...", "Über..."),
        (26, "&Export application text strings for translation", "Teksten &exporteren voor vertaling",
         "Programmtexte für Übersetzung &exportieren"),
        (27, "&NMEA log file functions...", "&NMEA logbestand functies...", "&NMEA-Protokolldatei-Funktionen..."),
        (28, "&Undo", "&Ongedaan maken", "&Rückgängig"),
        (29, "&Redo", "Opn&ieuw", "&Wiederholen"),
    ],
    "Popup2": [
        (1, "Edit list of points", "Lijst met punten bewerken", "Punkteliste bearbeiten"),
        (2, "Edit point", "Punt bewerken", "Punkt bearbeiten"),
        (3, "Cut", "Knippen", "Ausschneiden"),
        (4, "Copy", "Kopiëren", "Kopieren"),
        (5, "Paste", "Plakken", "Einfügen"),
        (6, "Plot points", "Punten plotten", "Punkte zeichnen"),
        (7, "Plot time/way diagram", "Tijd/afstand diagram plotten", "Zeit/Weg-Diagramm zeichnen"),
        (8, "Plot time/height diagram", "Tijd/hoogte diagram plotten", "Zeit/Höhe-Diagramm zeichnen"),
        (9, "Add to Waypoints", "Toevoegen aan waypoints", "Zu Wegpunkten hinzufügen"),
        (10, "New track", "Nieuwe track", "Neuer Track"),
        (11, "New route", "Nieuwe route", "Neue Route"),
        (12, "Plot time/speed diagram", "Tijd/snelheid diagram plotten", "Zeit/Geschwindigkeit-Diagramm zeichnen"),
        (13, "Save points as...", "Punten opslaan als...", "Punkte speichern unter..."),
    ],
    "Tooltips": [
        (1, "Open", "Openen", "Öffnen"),
        (2, "Save", "Opslaan", "Speichern"),
        (3, "Transmit to Garmin", "Verzenden naar Garmin", "An Garmin senden"),
        (4, "Receive from Garmin", "Ontvangen van Garmin", "Von Garmin empfangen"),
        (5, "Calculate distance", "Afstand berekenen", "Entfernung berechnen"),
        (6, "Show in Google Earth", "Tonen in Google Earth", "In Google Earth anzeigen"),
    ],
    "Tab1": [
        (0, "Points", "Punten", "Punkte"),
        (1, "Nr", "Nr", "Nr"),
        (2, "Latitude", "Breedtegraad", "Breite"),
        (3, "Longitude", "Lengtegraad", "Länge"),
        (4, "Altitude (m)", "Hoogte (m)", "Höhe (m)"),
        (5, "Date/Time", "Datum/tijd", "Datum/Zeit"),
        (6, "Date", "Datum", "Datum"),
        (7, "Time", "Tijd", "Zeit"),
        (8, "Name", "Naam", "Name"),
        (9, "Symbol", "Symbool", "Symbol"),
        (10, "Comment", "Commentaar", "Kommentar"),
        (11, "Description", "Omschrijving", "Beschreibung"),
        (12, "OK", "OK", "OK"),
        (13, "Cancel", "Annuleren", "Abbrechen"),
    ],
    "fmSelectField": [
        (1, "Select field", "Selecteer veld", "Feld auswählen"),
        (2, "Select field", "Selecteer veld", "Feld auswählen"),
        (3, "Fields", "Velden", "Felder"),
        (4, "Field names", "Veldnamen", "Feldnamen"),
        (5, "Save as default", "Opslaan als standaard", "Als Standard speichern"),
    ],
    "Popup1": [
        (1, "&Edit", "&Bewerken", "&Bearbeiten"),
        (2, "&Calculate distance", "&Afstand berekenen", "&Entfernung berechnen"),
        (3, "&Move to closest point", "&Verplaats naar dichtstbijzijnde punt", "Zum &nächsten Punkt verschieben"),
        (4, "&Use time as point name", "&Tijd als puntnaam gebruiken", "&Zeit als Punktname verwenden"),
        (5, "C&opy to tree", "K&opiëren naar boom", "In den &Baum kopieren"),
    ],
    "Tab8": [
        (0, "Waypoints", "Waypoints", "Wegpunkte"),
    ],
    "Tab2": [
        (0, "NMEA ontvangst", "NMEA ontvangst", "NMEA-Empfang"),
        (1, "NMEA reception", "NMEA ontvangst", "NMEA-Empfang"),
        (2, "Status:", "Status:", "Status:"),
        (3, "Longitude:", "Lengtegraad:", "Länge:"),
        (4, "Latitude:", "Breedtegraad:", "Breite:"),
        (5, "Speed:", "Snelheid:", "Geschwindigkeit:"),
        (6, "Declination:", "Declinatie:", "Deklination:"),
        (7, "Altitude:", "Hoogte:", "Höhe:"),
        (8, "Direction:", "Richting:", "Richtung:"),
        (9, "Time:", "Tijd:", "Zeit:"),
        (10, "Nr of sat:", "Aantal sat:", "Anz. Sat.:"),
        (11, "Communication", "Communicatie", "Kommunikation"),
        (12, "TxD Channel 1", "TxD kanaal 1", "TxD Kanal 1"),
        (13, "RxD Channel 1", "RxD kanaal 1", "RxD Kanal 1"),
        (15, "Satellites", "Satellieten", "Satelliten"),
    ],
    "Tab3": [
        (0, "NMEA simulation", "NMEA simulatie", "NMEA-Simulation"),
        (1, "Transmit tracklog as NMEA", "Tracklog als NMEA verzenden", "Tracklog als NMEA senden"),
        (2, "Start simulation", "Start simulatie", "Simulation starten"),
        (3, "Interval time:", "Intervaltijd:", "Intervall:"),
        (4, "Automatic repeat", "Automatisch herhalen", "Automatisch wiederholen"),
        (5, "Status:", "Status:", "Status:"),
        (6, "Transmitted:", "Verzonden:", "Gesendet:"),
        (7, "Create NMEA file on the basis of selected tracklog",
         "NMEA bestand maken op basis van geselecteerde tracklog", "NMEA-Datei aus dem gewählten Tracklog erstellen"),
        (8, "Driving speed:", "Rijsnelheid:", "Fahrgeschwindigkeit:"),
        (9, "Time interval NMEA messages:", "Tijdsinterval NMEA berichten:", "Zeitabstand der NMEA-Meldungen:"),
        (10, "Create NMEA logfile", "NMEA logbestand maken", "NMEA-Protokolldatei erstellen"),
        (11, "Tracklog:", "Tracklog:", "Tracklog:"),
        (12, "Orginal time/date", "Originele tijd/datum", "Ursprüngliche Zeit/Datum"),
        (13, "Start from following:", "Beginnen vanaf:", "Beginnen ab:"),
        (14, "Time:", "Tijd:", "Zeit:"),
        (15, "Date (ddmmyyyy):", "Datum (ddmmjjjj):", "Datum (TTMMJJJJ):"),
        (16, "Current time/date", "Huidige tijd/datum", "Aktuelle Zeit/Datum"),
        (17, "Distance:", "Afstand:", "Entfernung:"),
        (18, "Given speed", "Opgegeven snelheid", "Vorgegebene Geschwindigkeit"),
        (19, "Latitude:", "Breedte:", "Breite:"),
        (20, "Longitude:", "Lengte:", "Länge:"),
        (21, "Direction:", "Richting:", "Richtung:"),
    ],
    "Tab4": [
        (0, "Message log", "Berichtenlog", "Meldungsprotokoll"),
    ],
    "Tab5": [
        (0, "Conversion", "Conversie", "Umrechnung"),
        (1, "Degrees (decimal)", "Graden (decimaal)", "Grad (dezimal)"),
        (2, "Latitude:", "Breedtegraad:", "Breite:"),
        (3, "Longitude:", "Lengtegraad:", "Länge:"),
        (4, "Degrees, Minutes, Sec, Heading", "Graden, minuten, sec, richting", "Grad, Minuten, Sek., Richtung"),
        (5, "Degrees, Minutes.m", "Graden, minuten.m", "Grad, Minuten.m"),
        (7, "Transmit as RMC message", "Verzenden als RMC bericht", "Als RMC-Meldung senden"),
        (8, "Ozi Route file (rte) ==> EasyGPS file (gpx)", "Ozi routebestand (rte) ==> EasyGPS bestand (gpx)",
         "Ozi-Routendatei (rte) ==> EasyGPS-Datei (gpx)"),
        (9, "Conversion of Degree formats", "Conversie van graadnotaties", "Umrechnung der Gradformate"),
    ],
    "Tab6": [
        (0, "Route planner", "Routeplanner", "Routenplaner"),
        (1, "Start AutoRoute capture", "AutoRoute uitlezen starten", "AutoRoute-Erfassung starten"),
        (2, "Start Route66 capture", "Route66 uitlezen starten", "Route66-Erfassung starten"),
        (3, "The collected points are added as new track.",
         "De verzamelde punten worden als nieuwe track toegevoegd.",
         "Die erfassten Punkte werden als neuer Track hinzugefügt."),
    ],
    "Tab7": [
        (0, "Plotting points", "Punten plot", "Punkte zeichnen"),
        (3, "maximum height (in meters):", "maximale hoogte (in meters):", "maximale Höhe (in Metern):"),
        (5, "Connect points", "Punten verbinden", "Punkte verbinden"),
        (6, "Plot slowly", "Langzaam plotten", "Langsam zeichnen"),
        (7, "Print names", "Namen afdrukken", "Namen anzeigen"),
        (8, "Save image", "Afbeelding opslaan", "Bild speichern"),
        (9, "Print altitude", "Hoogte afdrukken", "Höhe anzeigen"),
        (11, "Altitude in colors", "Hoogte in kleuren", "Höhe in Farben"),
    ],
    "Map": [
        (0, "Map", "Kaart", "Karte"),
    ],
    "TrackStats": [
        (1, "Statistics", "Statistieken", "Statistik"),
        (2, "Points:", "Punten:", "Punkte:"),
        (3, "Length:", "Lengte:", "Länge:"),
        (4, "Duration:", "Duur:", "Dauer:"),
        (5, "Moving time:", "Tijd in beweging:", "Zeit in Bewegung:"),
        (6, "Average speed:", "Gemiddelde snelheid:", "Durchschnitt:"),
        (7, "Moving average:", "Gemiddeld in beweging:", "Durchschnitt in Bewegung:"),
        (8, "Maximum speed:", "Maximale snelheid:", "Höchstgeschwindigkeit:"),
        (9, "Ascent:", "Stijging:", "Aufstieg:"),
        (10, "Descent:", "Daling:", "Abstieg:"),
        (11, "Lowest:", "Laagste punt:", "Tiefster Punkt:"),
        (12, "Highest:", "Hoogste punt:", "Höchster Punkt:"),
        (13, "Start:", "Start:", "Start:"),
        (14, "End:", "Einde:", "Ende:"),
    ],
    "PointEditor": [
        (1, "Point editor", "Punt bewerken", "Punkteditor"),
        (2, "Description:", "Omschrijving:", "Beschreibung:"),
        (3, "Name:", "Naam:", "Name:"),
        (4, "Latitude:", "Breedtegraad:", "Breite:"),
        (5, "Longitude:", "Lengtegraad:", "Länge:"),
        (6, "Altitude:", "Hoogte:", "Höhe:"),
        (7, "Date/time:", "Datum/tijd:", "Datum/Zeit:"),
        (8, "Date:", "Datum:", "Datum:"),
        (9, "Time:", "Tijd:", "Zeit:"),
        (10, "Cancel", "Annuleren", "Abbrechen"),
        (11, "OK", "OK", "OK"),
        (12, "Comment:", "Commentaar:", "Kommentar:"),
        (13, "Symbol:", "Symbool:", "Symbol:"),
    ],
    "LocatorForm": [
        (2, "Captured co-ordinates", "Vastgelegde coördinaten", "Erfasste Koordinaten"),
        (3, "Transmit as NMEA RMC", "Verzenden als NMEA RMC", "Als NMEA RMC senden"),
        (4, "Ready", "Klaar", "Fertig"),
        (5, "Erase last point", "Laatste punt wissen", "Letzten Punkt löschen"),
        (6, "Erase all", "Alles wissen", "Alle löschen"),
        (7, "Create Pushpins", "Punaises maken", "Stecknadeln erstellen"),
    ],
    "OcrForm": [
        (1, "Route 66 version:", "Route 66 versie:", "Route 66 Version:"),
        (2, "Version 2002", "Versie 2002", "Version 2002"),
        (3, "Version 2004", "Versie 2004", "Version 2004"),
        (4, "OCR Result:", "OCR resultaat:", "OCR-Ergebnis:"),
        (5, "Captured co-ordinates", "Vastgelegde coördinaten", "Erfasste Koordinaten"),
        (6, "Ready", "Klaar", "Fertig"),
    ],
    "fmSettings": [
        (1, "Garmin mode", "Garmin modus", "Garmin-Modus"),
        (2, "NMEA mode", "NMEA modus", "NMEA-Modus"),
        (3, "Port:", "Poort:", "Port:"),
        (4, "Speed:", "Snelheid:", "Geschwindigkeit:"),
        (5, "Data bits:", "Databits:", "Datenbits:"),
        (6, "Parity:", "Pariteit:", "Parität:"),
        (7, "Stop bits:", "Stopbits:", "Stoppbits:"),
        (8, "Socket", "Socket", "Socket"),
        (9, "IP address:", "IP adres:", "IP-Adresse:"),
        (10, "port number:", "poortnummer:", "Portnummer:"),
        (11, "Server socket", "Server socket", "Server-Socket"),
        (12, "Enable port listener", "Poort luisteraar inschakelen", "Port-Listener aktivieren"),
        (13, "Listen on all interfaces", "Luisteren op alle netwerkkaarten", "Auf allen Schnittstellen empfangen"),
    ],
    "fmSave": [
        (1, "Save points as", "Punten opslaan als", "Punkte speichern als"),
        (2, "File name", "Bestandsnaam", "Dateiname"),
        (3, "File format", "Bestandsformaat", "Dateiformat"),
        (5, "PLT - Ozi Trackpoints", "PLT - Ozi trackpunten", "PLT - Ozi-Trackpunkte"),
        (6, "WPT - Ozi Waypoints", "WPT - Ozi waypoints", "WPT - Ozi-Wegpunkte"),
        (7, "TXT - Text file (for AutoRoute import)", "TXT - Tekstbestand (voor AutoRoute import)",
         "TXT - Textdatei (für AutoRoute-Import)"),
        (8, "GPX - GPS Exchange format", "GPX - GPS Exchange formaat", "GPX - GPS-Austauschformat"),
        (10, "KML - Keyhole Markup Language (Google Earth)", "KML - Keyhole Markup Language (Google Earth)",
         "KML - Keyhole Markup Language (Google Earth)"),
    ],
    "fmNmeaLog": [
        (1, "NMEA logfile", "NMEA logbestand", "NMEA-Protokolldatei"),
        (2, "File:", "Bestand:", "Datei:"),
        (3, "Options", "Opties", "Optionen"),
        (4, "Check NMEA logfile", "NMEA logbestand controleren", "NMEA-Protokolldatei prüfen"),
        (5, "Split file (one file for each date)", "Bestand splitsen (één bestand per datum)",
         "Datei aufteilen (eine Datei je Datum)"),
        (6, "Remove incorrect records (incorrect CRC)", "Foute records verwijderen (foute CRC)",
         "Fehlerhafte Datensätze entfernen (falsche CRC)"),
        (7, "Only preserve RMC records", "Alleen RMC records bewaren", "Nur RMC-Datensätze behalten"),
    ],
    "fmImportWizzard": [
        (1, "Separator character", "Scheidingsteken", "Trennzeichen"),
        (2, "Field assignment", "Veldtoewijzing", "Feldzuordnung"),
        (3, "Settings", "Instellingen", "Einstellungen"),
        (4, "Choose that character that separates your fields:", "Kies het teken dat uw velden scheidt:",
         "Wählen Sie das Zeichen, das Ihre Felder trennt:"),
        (5, "Tab", "Tab", "Tabulator"),
        (6, "Semicolon", "Puntkomma", "Semikolon"),
        (7, "Comma", "Komma", "Komma"),
        (8, "Contents of file:", "Inhoud van bestand:", "Inhalt der Datei:"),
        (9, "First row contains column headings", "Eerste rij bevat kolomkoppen",
         "Erste Zeile enthält Spaltenüberschriften"),
        (10, "Data type:", "Gegevenstype:", "Datentyp:"),
        (11, "<skip>", "<overslaan>", "<überspringen>"),
        (12, "< Previous", "< Vorige", "< Zurück"),
        (13, "Next >", "Volgende >", "Weiter >"),
        (14, "Finish", "Voltooien", "Fertigstellen"),
        (15, "Cancel", "Annuleren", "Abbrechen"),
    ],
}

# The message table, entries 0 to 56: (Dutch, German). "#" breaks a line.
MESSAGES = [
    ("Leeg", "Leer"),
    ("Er staan al punten in de lijst. U kunt de nieuwe punten#toevoegen of de oude punten overschrijven."
     "#[Ja] = Toevoegen#[Nee] = overschrijven",
     "Es sind bereits Punkte in der Liste. Sie können die neuen#Punkte hinzufügen oder die alten überschreiben."
     "#[Ja] = Hinzufügen#[Nein] = überschreiben"),
    ("Kan. 1:", "Kan. 1:"),
    ("gesloten", "geschlossen"),
    ("loggen actief", "Protokoll aktiv"),
    ("Oost", "Ost"),
    ("West", "West"),
    ("Positiebepaling niet mogelijk", "Positionsbestimmung nicht möglich"),
    ("2D positiebepaling", "2D-Positionsbestimmung"),
    ("3D positiebepaling", "3D-Positionsbestimmung"),
    ("Verzonden:", "Gesendet:"),
    ("Er staan geen punten in de lijst. Open eerst een bestand.",
     "Es sind keine Punkte in der Liste. Bitte öffnen Sie eine Datei."),
    ("Kan de com-poort niet openen.", "Der COM-Port konnte nicht geöffnet werden."),
    ("Versie:", "Version:"),
    ("Selecteer routebestand (OziExplorer routebestand)", "Routendatei wählen (OziExplorer-Routendatei)"),
    ("Dit is geen Ozi routebestand!", "Dies ist keine Ozi-Routendatei!"),
    ("Routebestand opgeslagen als:", "Routendatei gespeichert als:"),
    ("Selecteer trackpunt/waypoint bestand", "Trackpunkt-/Wegpunktdatei wählen"),
    ("Bestandsformaat niet herkend!", "Dateiformat nicht erkannt!"),
    ("Alleen de eerste 1000 punten worden opgeslagen.", "Nur die ersten 1000 Punkte werden gespeichert."),
    ("De bijbehorende punten staan niet in de lijst. Open een bestand#of gebruik de routeplanner om nieuwe "
     "punten te maken.",
     "Die zugehörigen Punkte sind nicht in der Liste. Bitte öffnen Sie eine Datei#oder erstellen Sie mit dem "
     "Routenplaner neue Punkte."),
    ("Afstand:", "Entfernung:"),
    ("Selecteer een punt in de lijst.", "Bitte wählen Sie einen Punkt in der Liste."),
    ("Dag(en):", "Tag(e):"),
    ("uren:", "Stunden:"),
    ("Totale afstand:", "Gesamtentfernung:"),
    ("Maximale hoogte:", "Maximale Höhe:"),
    ("Weet u zeker dat alle punten gewist moeten worden?", "Sollen wirklich alle Punkte gelöscht werden?"),
    ("Om GPS coördinaten te kopiëren: T = Trackpunt, W = Waypoint",
     "GPS-Koordinaten kopieren mit: T = Trackpunkt, W = Wegpunkt"),
    ("Afbreken", "Abbrechen"),
    ("Op kaart tonen?", "Auf der Karte anzeigen?"),
    ("Tracknaam", "Trackname"),
    ("Voer naam in", "Namen eingeben"),
    ("Geen reactie van GPS ontvanger, #wachtrij wordt geleegd.",
     "Keine Antwort vom GPS-Empfänger, #die Warteschlange wird geleert."),
    ("Communicatiekanaal kon niet worden geopend!#Wachtrij wordt geleegd.",
     "Der Kommunikationskanal konnte nicht geöffnet werden!#Die Warteschlange wird geleert."),
    ("Kan 'T' niet als sneltoets toewijzen.", "'T' kann nicht als Tastenkürzel belegt werden."),
    ("Kan 'W' niet als sneltoets toewijzen.", "'W' kann nicht als Tastenkürzel belegt werden."),
    ("\"Location sensor\" niet gevonden!#U kunt deze in AutoRoute activeren via het menu "
     "\"Tools -> Locations sensor\".#Zal ik dit voor u doen?",
     "\"Location sensor\" nicht gefunden!#Sie können ihn in AutoRoute über das Menü "
     "\"Tools -> Locations sensor\" aktivieren.#Soll ich das für Sie tun?"),
    ("Bestand is gewijzigd, opslaan?", "Die Datei wurde geändert, speichern?"),
    ("Zorg ervoor dat alle waypointnamen uniek zijn (eerste 6 tekens)!",
     "Bitte achten Sie darauf, dass alle Wegpunktnamen eindeutig sind (erste 6 Zeichen)!"),
    ("Waypoints of trackpunten opslaan?#[Ja] = trackpunten#[Nee] = waypoints",
     "Wegpunkte oder Trackpunkte speichern?#[Ja] = Trackpunkte#[Nein] = Wegpunkte"),
    ("Weet u zeker dat u deze track wilt verwijderen?", "Wollen Sie diesen Track wirklich löschen?"),
    ("Weet u zeker dat u deze route wilt verwijderen?", "Wollen Sie diese Route wirklich löschen?"),
    ("Weet u zeker dat u dit waypoint wilt verwijderen?", "Wollen Sie diesen Wegpunkt wirklich löschen?"),
    ("Weet u zeker dat u dit trackpunt wilt verwijderen?", "Wollen Sie diesen Trackpunkt wirklich löschen?"),
    ("Weet u zeker dat u dit routepunt wilt verwijderen?", "Wollen Sie diesen Routenpunkt wirklich löschen?"),
    ("Wat verzenden", "Was senden"),
    ("Wat ontvangen", "Was empfangen"),
    ("Er bestaat al een waypoint met deze coördinaten. Wat moet ik doen?#[Ja] = overschrijven#[Nee] = toevoegen"
     "#[Annuleren] = afbreken",
     "Ein Wegpunkt mit diesen Koordinaten existiert bereits. Was soll ich tun?#[Ja] = überschreiben"
     "#[Nein] = hinzufügen#[Abbrechen] = abbrechen"),
    ("Hiervoor is een internetverbinding nodig. Wilt u doorgaan?",
     "Dafür ist eine Internetverbindung nötig. Möchten Sie fortfahren?"),
    ("Kan geen verbinding maken met de website, probeer het later opnieuw.",
     "Keine Verbindung zur Website möglich, bitte versuchen Sie es später noch einmal."),
    ("U gebruikt de meest recente versie van het programma.", "Sie verwenden die neueste Version des Programms."),
    ("Er is een nieuwere versie van het programma beschikbaar. Ga naar de website om de nieuwe versie te "
     "downloaden.",
     "Eine neuere Version des Programms ist verfügbar. Bitte laden Sie die neue Version von der Website "
     "herunter."),
    ("Selecteer ten minste één optie.", "Bitte wählen Sie mindestens eine Option."),
    ("Het opgegeven bestand bestaat niet.", "Die angegebene Datei existiert nicht."),
    ("De actie is uitgevoerd. Aantal gevonden fouten:", "Die Aktion wurde ausgeführt. Anzahl gefundener Fehler:"),
    ("Wilt u de GPX extensie registreren zodat deze bestanden met Pathkeep worden geopend?",
     "Möchten Sie die GPX-Erweiterung registrieren, damit diese Dateien mit Pathkeep geöffnet werden?"),
]


def c_string(literal):
    """The value of a C++ string literal body (only \\" and \\\\ occur)."""
    return re.sub(r'\\(.)', r'\1', literal)


def english_messages():
    source = (ROOT / "src/app/messages.cpp").read_text(encoding="utf-8")
    found = re.findall(r'^\s*"((?:[^"\\]|\\.)*)",\s*//\s*(\d+)\s*$', source, re.M)
    table = {int(n): c_string(text) for text, n in found}
    if sorted(table) != list(range(len(MESSAGES))):
        sys.exit("messages.cpp: expected entries 0..%d, found %s" % (len(MESSAGES) - 1, sorted(table)))
    return [table[i] for i in range(len(MESSAGES))]


def check(value, where):
    # The INI reader trims values and reads up to the line end.
    if value != value.strip() or "\n" in value or "\r" in value or not value:
        sys.exit("%s: a value must be one non-empty line without outer blanks: %r" % (where, value))


def render():
    out = ["; Pathkeep language tables. Each text is the key made of a language's",
           "; prefix and the text's number; a missing key shows the English text.",
           "; Generated by tools/make_languages.py; edit that script, not this file.",
           "",
           "[Languages]",
           "number=%d" % len(LANGUAGES)]
    for i, (caption, _) in enumerate(LANGUAGES, 1):
        out.append("lang%d=%s" % (i, caption))
    for i, (_, prefix) in enumerate(LANGUAGES, 1):
        out.append("prefix%d=%s" % (i, prefix))
    out.append("")
    for section, rows in SECTIONS.items():
        out.append("[%s]" % section)
        for number, en, nl, ge in rows:
            for prefix, value in (("nl", nl), ("gb", en), ("ge", ge)):
                check(value, "%s/%s%d" % (section, prefix, number))
                out.append("%s%d=%s" % (prefix, number, value))
        out.append("")
    out.append("[Messages]")
    for number, (en, (nl, ge)) in enumerate(zip(english_messages(), MESSAGES)):
        for prefix, value in (("nl", nl), ("gb", en), ("ge", ge)):
            check(value, "Messages/%s%d" % (prefix, number))
            out.append("%s%d=%s" % (prefix, number, value))
    out.append("")
    return "\n".join(out)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "data/Pathkeep.ini"
    target.write_text(render(), encoding="utf-8")


if __name__ == "__main__":
    main()
