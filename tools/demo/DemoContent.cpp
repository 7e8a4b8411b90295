#include "DemoContent.h"

namespace vv::demo {
namespace {

const QString kVerein = QStringLiteral("TSV Rheinau 1898 e.V.");
const QString kVereinAddress = QStringLiteral("Geschäftsstelle · Am Sportplatz 4 · 77866 Rheinau · Telefon 07844 91 20 30");
const QString kKanzlei = QStringLiteral("Kanzlei Hartmann & Roth");
const QString kKanzleiAddress = QStringLiteral("Rechtsanwälte · Bahnhofstraße 12 · 79098 Freiburg · Telefon 0761 38 44 50");
const QString kSteuer = QStringLiteral("Steuerbüro Lindner");
const QString kSteuerAddress = QStringLiteral("Steuerberatung · Kaiser-Joseph-Straße 221 · 79098 Freiburg · Telefon 0761 20 71 10");

FormSpec Form(const QString &issuer, const QString &address, const QColor &accent, const QString &code,
              const QString &title, const QString &subtitle, const QString &paragraph, const QStringList &fields)
{
    return FormSpec{issuer, address, title, subtitle, paragraph, fields, code, accent};
}

const QColor kGreen(46, 110, 60);
const QColor kNavy(31, 59, 115);
const QColor kOrange(179, 92, 0);
const QColor kPurple(106, 40, 140);
const QColor kRed(140, 40, 40);

FormSpec Beitritt()
{
    return Form(kVerein, kVereinAddress, kGreen, QStringLiteral("B-01"), QStringLiteral("Beitrittserklärung"),
                QStringLiteral("Mitgliedschaft im TSV Rheinau 1898 e.V."),
                QStringLiteral("Hiermit erkläre ich meinen Beitritt zum TSV Rheinau 1898 e.V. Die Satzung und die "
                               "Beitragsordnung habe ich zur Kenntnis genommen und erkenne sie an. Die Mitgliedschaft "
                               "kann mit einer Frist von drei Monaten zum Jahresende schriftlich gekündigt werden."),
                {QStringLiteral("Name|Vorname"), QStringLiteral("Geburtsdatum|Telefon"),
                 QStringLiteral("Anschrift (Straße, Hausnummer)"), QStringLiteral("PLZ|Ort"), QStringLiteral("E-Mail"),
                 QStringLiteral("[]Aktives Mitglied (Jahresbeitrag 96,00 €)"),
                 QStringLiteral("[]Förderndes Mitglied (Jahresbeitrag 48,00 €)")});
}

FormSpec EmpfangsvollmachtVerein()
{
    return Form(kVerein, kVereinAddress, kNavy, QStringLiteral("V-03"), QStringLiteral("Empfangsvollmacht"),
                QStringLiteral("für Vereinsangelegenheiten"),
                QStringLiteral("Der Vorstand des TSV Rheinau 1898 e.V. bevollmächtigt die unten genannte Person, "
                               "Schriftstücke, Bescheide und Zustellungen für den Verein entgegenzunehmen und den "
                               "Empfang rechtsverbindlich zu bestätigen."),
                {QStringLiteral("Bevollmächtigte Person: Name|Vorname"), QStringLiteral("Anschrift"),
                 QStringLiteral("PLZ|Ort"), QStringLiteral("Funktion im Verein|gültig bis"),
                 QStringLiteral("[]Einschließlich Einschreiben und förmlicher Zustellungen")});
}

FormSpec VertretungsvollmachtVerein()
{
    return Form(kVerein, kVereinAddress, kNavy, QStringLiteral("V-04"), QStringLiteral("Vertretungsvollmacht"),
                QStringLiteral("für Vereinsangelegenheiten"),
                QStringLiteral("Der Vorstand bevollmächtigt die unten genannte Person, den Verein gegenüber Behörden, "
                               "Verbänden und Geschäftspartnern in den angekreuzten Angelegenheiten zu vertreten."),
                {QStringLiteral("Bevollmächtigte Person: Name|Vorname"), QStringLiteral("Anschrift"),
                 QStringLiteral("PLZ|Ort"), QStringLiteral("[]Verhandlungen mit der Gemeinde"),
                 QStringLiteral("[]Anmeldungen beim Sportverband"), QStringLiteral("[]Verträge bis 1.000,00 €")});
}

FormSpec VollmachtSteuerberater()
{
    return Form(kSteuer, kSteuerAddress, kPurple, QStringLiteral("S-01"), QStringLiteral("Vollmacht und Auftrag"),
                QStringLiteral("zur Vertretung in Steuersachen"),
                QStringLiteral("Hiermit bevollmächtige und beauftrage ich das Steuerbüro Lindner, mich in allen "
                               "steuerlichen Angelegenheiten gegenüber den Finanzbehörden zu vertreten, Erklärungen "
                               "abzugeben und Bescheide für mich entgegenzunehmen."),
                {QStringLiteral("Mandant: Name|Vorname"), QStringLiteral("Steuernummer|Finanzamt"),
                 QStringLiteral("Anschrift"), QStringLiteral("[]Einkommensteuer"), QStringLiteral("[]Umsatzsteuer"),
                 QStringLiteral("[]Gewerbesteuer"), QStringLiteral("[]Empfang von Steuerbescheiden")});
}

FormSpec VertretungsvollmachtSteuerberater()
{
    return Form(kSteuer, kSteuerAddress, kPurple, QStringLiteral("S-04"), QStringLiteral("Vertretungsvollmacht"),
                QStringLiteral("im Einspruchs- und Klageverfahren"),
                QStringLiteral("Ich bevollmächtige das Steuerbüro Lindner, mich im Einspruchsverfahren und vor dem "
                               "Finanzgericht zu vertreten, Anträge zu stellen und Rechtsmittel einzulegen oder "
                               "zurückzunehmen."),
                {QStringLiteral("Mandant: Name|Vorname"), QStringLiteral("Steuernummer|Finanzamt"),
                 QStringLiteral("Anschrift"), QStringLiteral("Bescheid vom|Steuerart"),
                 QStringLiteral("[]Einschließlich Akteneinsicht")});
}

} // namespace

QList<DemoCategory> Categories()
{
    QList<DemoCategory> c;

    c.append({QStringLiteral("Beitrittserklärungen"),
              QStringLiteral("Beitrittserklärungen und Aufnahmeanträge für den Verein. Bitte vollständig ausfüllen und "
                             "vom Mitglied unterschreiben lassen."),
              true,
              {
                  {QStringLiteral("Beitrittserklärung_Verein.pdf"), Beitritt(), Preview::Both,
                   QStringLiteral("Beitrittserklärung für neue Mitglieder mit Angaben zur Person und zur Art der "
                                  "Mitgliedschaft. Das Original bleibt in der Geschäftsstelle.")},
                  {QStringLiteral("Aufnahmeantrag_Jugend.pdf"),
                   Form(kVerein, kVereinAddress, kGreen, QStringLiteral("B-02"), QStringLiteral("Aufnahmeantrag"),
                        QStringLiteral("für Kinder und Jugendliche"),
                        QStringLiteral("Für Minderjährige ist die Unterschrift aller Erziehungsberechtigten "
                                       "erforderlich. Der Jahresbeitrag für Jugendliche beträgt derzeit 60,00 € und "
                                       "wird per Lastschrift eingezogen."),
                        {QStringLiteral("Name des Kindes|Geburtsdatum"), QStringLiteral("Erziehungsberechtigte Person"),
                         QStringLiteral("Anschrift"), QStringLiteral("PLZ|Ort"), QStringLiteral("Telefon|E-Mail"),
                         QStringLiteral("[]Einwilligung zur Veröffentlichung von Mannschaftsfotos")}),
                   Preview::Gif,
                   QStringLiteral("Aufnahmeantrag für Kinder und Jugendliche bis 18 Jahre; Jahresbeitrag 60,00 €. "
                                  "Beide Erziehungsberechtigten unterschreiben.")},
                  {QStringLiteral("Austritt_Verein.pdf"),
                   Form(kVerein, kVereinAddress, kGreen, QStringLiteral("B-03"), QStringLiteral("Austrittserklärung"),
                        QString(),
                        QStringLiteral("Hiermit kündige ich meine Mitgliedschaft im TSV Rheinau 1898 e.V. zum "
                                       "nächstmöglichen Termin. Bitte bestätigen Sie mir den Austritt schriftlich."),
                        {QStringLiteral("Name|Vorname"), QStringLiteral("Mitgliedsnummer|Austritt zum"),
                         QStringLiteral("Anschrift"), QStringLiteral("PLZ|Ort")}),
                   Preview::None,
                   QStringLiteral("Kündigung der Mitgliedschaft. Frist: drei Monate zum Jahresende (§ 5 der Satzung).")},
              }});

    c.append({QStringLiteral("Vollmachten"),
              QStringLiteral("Vollmachten für Mandanten: allgemeine Vollmacht, Kontovollmacht und Vollmachten für "
                             "Vereinsangelegenheiten."),
              false,
              {
                  {QStringLiteral("Vollmacht_Allgemein.pdf"),
                   Form(kKanzlei, kKanzleiAddress, kNavy, QStringLiteral("V-01"), QStringLiteral("Vollmacht"),
                        QStringLiteral("Allgemeine Vollmacht"),
                        QStringLiteral("Hiermit bevollmächtige ich die unten genannte Person, mich in allen "
                                       "Angelegenheiten gegenüber Behörden, Gerichten und Privatpersonen zu vertreten. "
                                       "Die Vollmacht gilt bis zum schriftlichen Widerruf."),
                        {QStringLiteral("Vollmachtgeber: Name|Vorname"), QStringLiteral("Anschrift"),
                         QStringLiteral("Bevollmächtigte Person: Name|Vorname"),
                         QStringLiteral("Anschrift der bevollmächtigten Person"),
                         QStringLiteral("[]Die Vollmacht berechtigt zur Erteilung von Untervollmacht")}),
                   Preview::Jpg,
                   QStringLiteral("Allgemeine Vollmacht für Behörden, Gerichte und Privatpersonen; gilt bis zum "
                                  "schriftlichen Widerruf.")},
                  {QStringLiteral("Vollmacht_Bank.pdf"),
                   Form(kKanzlei, kKanzleiAddress, kNavy, QStringLiteral("V-02"), QStringLiteral("Kontovollmacht"),
                        QStringLiteral("über den Tod hinaus"),
                        QStringLiteral("Ich bevollmächtige die unten genannte Person, über mein Konto in vollem Umfang "
                                       "zu verfügen. Die Vollmacht erlischt nicht mit meinem Tod; sie kann jederzeit "
                                       "gegenüber dem Kreditinstitut widerrufen werden."),
                        {QStringLiteral("Kontoinhaber: Name|Vorname"), QStringLiteral("Anschrift"),
                         QStringLiteral("IBAN"), QStringLiteral("Kreditinstitut|BIC"),
                         QStringLiteral("Bevollmächtigte Person: Name|Geburtsdatum")}),
                   Preview::Gif,
                   QStringLiteral("Kontovollmacht über den Tod hinaus. Die Bank verlangt meist ihr eigenes Formular "
                                  "zusätzlich.")},
                  {QStringLiteral("Empfangsvollmacht_Verein.pdf"), EmpfangsvollmachtVerein(), Preview::Jpg,
                   QStringLiteral("Empfangsvollmacht für Schriftstücke und Zustellungen an den Verein.")},
                  {QStringLiteral("Vertretungsvollmacht_Verein.pdf"), VertretungsvollmachtVerein(), Preview::None,
                   QString()},
              }});

    c.append({QStringLiteral("SEPA-Mandate"),
              QStringLiteral("SEPA-Lastschriftmandate für Mitgliedsbeiträge und Firmenkunden. Gläubiger-ID "
                             "DE98ZZZ09999999999."),
              true,
              {
                  {QStringLiteral("SEPA_Lastschriftmandat.pdf"),
                   Form(kVerein, QStringLiteral("Gläubiger-Identifikationsnummer DE98ZZZ09999999999"), kOrange,
                        QStringLiteral("L-01"), QStringLiteral("SEPA-Lastschriftmandat"),
                        QStringLiteral("für wiederkehrende Zahlungen"),
                        QStringLiteral("Ich ermächtige den TSV Rheinau 1898 e.V., Zahlungen von meinem Konto mittels "
                                       "Lastschrift einzuziehen. Zugleich weise ich mein Kreditinstitut an, die vom "
                                       "Verein auf mein Konto gezogenen Lastschriften einzulösen. Hinweis: Ich kann "
                                       "innerhalb von acht Wochen, beginnend mit dem Belastungsdatum, die Erstattung "
                                       "des belasteten Betrages verlangen."),
                        {QStringLiteral("Kontoinhaber: Name|Vorname"), QStringLiteral("Anschrift"),
                         QStringLiteral("PLZ|Ort"), QStringLiteral("IBAN"), QStringLiteral("BIC|Kreditinstitut"),
                         QStringLiteral("Mandatsreferenz (wird vom Verein vergeben)")}),
                   Preview::Gif,
                   QStringLiteral("Lastschriftmandat für Mitgliedsbeiträge; die Mandatsreferenz ist die "
                                  "Mitgliedsnummer.")},
                  {QStringLiteral("SEPA_Firmenlastschrift.pdf"),
                   Form(kKanzlei, kKanzleiAddress, kOrange, QStringLiteral("L-02"),
                        QStringLiteral("SEPA-Firmenlastschrift-Mandat"), QStringLiteral("für Honorarrechnungen"),
                        QStringLiteral("Dieses Mandat dient nur dem Einzug von Lastschriften, die auf Konten von "
                                       "Unternehmen gezogen sind. Ein Erstattungsanspruch nach der Belastung besteht "
                                       "nicht. Das Mandat muss vor der ersten Belastung Ihrem Kreditinstitut "
                                       "vorliegen."),
                        {QStringLiteral("Unternehmen"), QStringLiteral("Anschrift"), QStringLiteral("IBAN"),
                         QStringLiteral("BIC|Kreditinstitut"), QStringLiteral("Mandatsreferenz|gültig ab")}),
                   Preview::Jpg,
                   QStringLiteral("Firmenlastschrift ohne Erstattungsanspruch; nur für Geschäftskonten.")},
              }});

    c.append({QStringLiteral("Steuer und Finanzen"),
              QStringLiteral("Formulare des Steuerbüros: Vollmachten, Aufträge und Freistellungsaufträge."), true,
              {
                  {QStringLiteral("Vollmacht_Steuerberater.pdf"), VollmachtSteuerberater(), Preview::Jpg,
                   QStringLiteral("Vollmacht und Auftrag zur Vertretung in Steuersachen, mit Empfangsvollmacht für "
                                  "Bescheide.")},
                  {QStringLiteral("Auftrag_Lohnbuchhaltung.pdf"),
                   Form(kSteuer, kSteuerAddress, kPurple, QStringLiteral("S-02"),
                        QStringLiteral("Auftrag Lohnbuchhaltung"), QStringLiteral("monatliche Lohnabrechnung"),
                        QStringLiteral("Der Auftraggeber beauftragt das Steuerbüro Lindner mit der monatlichen Lohn- "
                                       "und Gehaltsabrechnung einschließlich der Meldungen an Krankenkassen und "
                                       "Finanzamt. Die Unterlagen sind bis zum 5. des Folgemonats einzureichen."),
                        {QStringLiteral("Arbeitgeber|Betriebsnummer"), QStringLiteral("Anschrift"),
                         QStringLiteral("Anzahl Beschäftigte|Beginn ab"), QStringLiteral("Ansprechpartner|Telefon")}),
                   Preview::Gif,
                   QStringLiteral("Auftrag für die monatliche Lohnabrechnung; Unterlagen bis zum 5. des Folgemonats.")},
                  {QStringLiteral("Freistellungsauftrag.pdf"),
                   Form(kSteuer, kSteuerAddress, kPurple, QStringLiteral("S-03"),
                        QStringLiteral("Freistellungsauftrag"), QStringLiteral("für Kapitalerträge"),
                        QStringLiteral("Hiermit erteile ich einen Freistellungsauftrag für Kapitalerträge bis zu dem "
                                       "unten genannten Betrag. Der Auftrag gilt, bis er geändert oder widerrufen "
                                       "wird."),
                        {QStringLiteral("Name|Vorname"), QStringLiteral("Geburtsdatum|Steuer-Identifikationsnummer"),
                         QStringLiteral("Anschrift"), QStringLiteral("Betrag in Euro|gültig ab"),
                         QStringLiteral("[]Gemeinsamer Auftrag für Ehegatten")}),
                   Preview::None,
                   QStringLiteral("Freistellungsauftrag bis 1.000,00 € (Ehegatten 2.000,00 €) je Kreditinstitut.")},
              }});

    c.append({QStringLiteral("Verträge"),
              QStringLiteral("Vertragsmuster der Kanzlei. Vor Verwendung an den Einzelfall anpassen."), true,
              {
                  {QStringLiteral("Mietvertrag_Lagerraum.pdf"),
                   Form(kKanzlei, kKanzleiAddress, kRed, QStringLiteral("T-01"), QStringLiteral("Mietvertrag"),
                        QStringLiteral("über einen Lagerraum"),
                        QStringLiteral("Zwischen den unten genannten Parteien wird folgender Mietvertrag über einen "
                                       "Lagerraum geschlossen. Der Raum darf nur zur Lagerung von Gegenständen "
                                       "genutzt werden; eine Nutzung zu Wohnzwecken ist ausgeschlossen."),
                        {QStringLiteral("Vermieter"), QStringLiteral("Mieter: Name|Vorname"),
                         QStringLiteral("Anschrift des Mieters"), QStringLiteral("Lage des Lagerraums"),
                         QStringLiteral("Monatliche Miete in Euro|Mietbeginn"),
                         QStringLiteral("Kaution in Euro|Kündigungsfrist")}),
                   Preview::Jpg, QStringLiteral("Mietvertrag über einen Lagerraum oder eine Garage, ohne Wohnnutzung.")},
                  {QStringLiteral("Arbeitsvertrag_Aushilfe.pdf"),
                   Form(kKanzlei, kKanzleiAddress, kRed, QStringLiteral("T-02"), QStringLiteral("Arbeitsvertrag"),
                        QStringLiteral("für geringfügig Beschäftigte"),
                        QStringLiteral("Der Arbeitnehmer wird als Aushilfe im Rahmen einer geringfügigen "
                                       "Beschäftigung eingestellt. Es gelten die gesetzlichen Bestimmungen über "
                                       "Urlaub, Entgeltfortzahlung und Kündigungsfristen."),
                        {QStringLiteral("Arbeitgeber"), QStringLiteral("Arbeitnehmer: Name|Vorname"),
                         QStringLiteral("Anschrift"), QStringLiteral("Beginn|Tätigkeit"),
                         QStringLiteral("Stundenlohn in Euro|Wochenstunden")}),
                   Preview::Gif, QStringLiteral("Arbeitsvertrag für Minijobber und Aushilfen.")},
                  {QStringLiteral("Aufhebungsvertrag.pdf"),
                   Form(kKanzlei, kKanzleiAddress, kRed, QStringLiteral("T-03"), QStringLiteral("Aufhebungsvertrag"),
                        QString(),
                        QStringLiteral("Die Parteien sind sich einig, dass das zwischen ihnen bestehende "
                                       "Arbeitsverhältnis zu dem unten genannten Termin einvernehmlich endet."),
                        {QStringLiteral("Arbeitgeber"), QStringLiteral("Arbeitnehmer: Name|Vorname"),
                         QStringLiteral("Ende des Arbeitsverhältnisses|Abfindung in Euro"),
                         QStringLiteral("[]Resturlaub wird gewährt"), QStringLiteral("[]Zeugnis wird erteilt")}),
                   Preview::None, QString()},
              }});

    return c;
}

QList<DemoFavourite> Favourites()
{
    return {
        {QStringLiteral("Vollmacht allgemein"), QStringLiteral("Vollmachten"), QStringLiteral("Vollmacht_Allgemein.pdf")},
        {QStringLiteral("SEPA-Lastschriftmandat"), QStringLiteral("SEPA-Mandate"),
         QStringLiteral("SEPA_Lastschriftmandat.pdf")},
        {QStringLiteral("Beitrittserklärung Verein"), QStringLiteral("Beitrittserklärungen"),
         QStringLiteral("Beitrittserklärung_Verein.pdf")},
    };
}

QList<FormSpec> PowerOfAttorneyForms()
{
    return {EmpfangsvollmachtVerein(), VertretungsvollmachtVerein(), VollmachtSteuerberater(),
            VertretungsvollmachtSteuerberater(), Beitritt()};
}

} // namespace vv::demo
