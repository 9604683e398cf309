#include "nmea/ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "nmea/settings_model.h"

namespace nmea::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QComboBox* pickList(const QString& name, const QStringList& items, int index, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(false);
    box->addItems(items);
    box->setCurrentIndex(index);
    return box;
}

struct GroupWidgets {
    QComboBox *port, *speed, *bits, *parity, *stop;
    QCheckBox* socket;
    QLineEdit *address, *ipPort;

    void enableSerial(bool on) const {
        for (QWidget* w : {static_cast<QWidget*>(port), static_cast<QWidget*>(speed), static_cast<QWidget*>(bits),
                           static_cast<QWidget*>(parity), static_cast<QWidget*>(stop)})
            w->setEnabled(on);
    }
    void store(SettingsModel::Group& g) const {
        g.port = port->currentIndex();
        g.speed = speed->currentIndex();
        g.bits = bits->currentIndex();
        g.parity = parity->currentIndex();
        g.stop = stop->currentIndex();
        g.clientSocket = socket->isChecked();
        g.address = address->text().toStdString();
        g.ipPort = ipPort->text().toStdString();
    }
};

QStringList toList(const std::vector<std::string>& items) {
    QStringList out;
    for (const auto& i : items) out << q(i);
    return out;
}

GroupWidgets buildGroup(QGroupBox* box, int n, const SettingsModel& m, const SettingsModel::Group& g) {
    auto* form = new QFormLayout(box);
    QStringList speeds;
    for (int s : SettingsModel::Speeds()) speeds << QString::number(s);
    QString k = QString::number(n);
    GroupWidgets w{
        pickList("lbPoort" + k, toList(m.portCaptions), g.port, box),
        pickList("lbSpeed" + k, speeds, g.speed, box),
        pickList("lbBits" + k, toList(SettingsModel::BitsItems()), g.bits, box),
        pickList("lbParity" + k, toList(SettingsModel::ParityItems()), g.parity, box),
        pickList("lbStopbits" + k, toList(SettingsModel::StopItems()), g.stop, box),
        new QCheckBox("Socket", box),
        new QLineEdit(q(g.address), box),
        new QLineEdit(q(g.ipPort), box),
    };
    w.socket->setObjectName(n == 1 ? "CheckBox1" : "CheckBox2");
    w.address->setObjectName(n == 1 ? "Edit1" : "Edit3");
    w.ipPort->setObjectName(n == 1 ? "Edit2" : "Edit4");
    auto caption = [box, &k](const char* text, const char* name) {
        auto* label = new QLabel(text, box);
        label->setObjectName(name + k);
        return label;
    };
    form->addRow(caption("Port:", "lbPortText"), w.port);
    form->addRow(caption("Speed:", "lbSpeedText"), w.speed);
    form->addRow(caption("Data bits:", "lbBitsText"), w.bits);
    form->addRow(caption("Parity:", "lbParityText"), w.parity);
    form->addRow(caption("Stop bits:", "lbStopText"), w.stop);
    form->addRow(w.socket);
    form->addRow(caption("IP address:", "lbAddressText"), w.address);
    form->addRow(caption("port number:", "lbIpPortText"), w.ipPort);
    w.socket->setChecked(g.clientSocket);
    w.enableSerial(g.serialEnabled());
    QObject::connect(w.socket, &QCheckBox::toggled, box, [w](bool on) { w.enableSerial(!on); });
    return w;
}

}  // namespace

bool runSettingsDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* m = dynamic_cast<SettingsModel*>(&model);
    if (!m) return false;
    QDialog dialog(parent);
    dialog.setObjectName("TfmSettings");
    dialog.setWindowTitle("Settings");
    auto* grid = new QGridLayout(&dialog);

    auto* garminBox = new QGroupBox("Garmin mode", &dialog);
    garminBox->setObjectName("GroupBox1");
    auto* nmeaBox = new QGroupBox("NMEA mode", &dialog);
    nmeaBox->setObjectName("GroupBox2");
    GroupWidgets g1 = buildGroup(garminBox, 1, *m, m->groups[0]);
    GroupWidgets g2 = buildGroup(nmeaBox, 2, *m, m->groups[1]);
    grid->addWidget(garminBox, 0, 0);
    grid->addWidget(nmeaBox, 0, 1);

    auto* serverBox = new QGroupBox("Server socket", &dialog);
    serverBox->setObjectName("GroupBox3");
    auto* serverForm = new QFormLayout(serverBox);
    auto* listener = new QCheckBox("Enable port listener", serverBox);
    listener->setObjectName("CheckBox3");
    auto* listenerPort = new QLineEdit(q(m->listenerPort), serverBox);
    listenerPort->setObjectName("Edit6");
    auto* allInterfaces = new QCheckBox("Listen on all interfaces", serverBox);
    allInterfaces->setObjectName("cbListenAll");
    allInterfaces->setChecked(m->listenAllInterfaces);
    serverForm->addRow(listener);
    auto* listenerCaption = new QLabel("port number:", serverBox);
    listenerCaption->setObjectName("lbIpPortTextS");
    serverForm->addRow(listenerCaption, listenerPort);
    serverForm->addRow(allInterfaces);
    listener->setChecked(m->listener);
    grid->addWidget(serverBox, 1, 0);

    auto* commBox = new QGroupBox("Communication", &dialog);
    auto* commLayout = new QVBoxLayout(commBox);
    auto* rbGarmin = new QRadioButton("Garmin", commBox);
    rbGarmin->setObjectName("rbGarmin");
    auto* rbNMEA = new QRadioButton("NMEA", commBox);
    rbNMEA->setObjectName("rbNMEA");
    (m->garmin ? rbGarmin : rbNMEA)->setChecked(true);
    auto* allTalkers = new QCheckBox("Decode all satellite systems", commBox);
    allTalkers->setObjectName("cbAllTalkers");
    allTalkers->setChecked(m->allTalkers);
    commLayout->addWidget(rbGarmin);
    commLayout->addWidget(rbNMEA);
    commLayout->addWidget(allTalkers);
    grid->addWidget(commBox, 1, 1);

    // The listener acts at once, without OK.
    QObject::connect(listener, &QCheckBox::clicked, &dialog, [=](bool ticked) {
        m->listenerPort = listenerPort->text().toStdString();
        m->listenAllInterfaces = allInterfaces->isChecked();
        bool shown = m->listenerToggled ? m->listenerToggled(ticked) : ticked;
        m->listener = shown;
        if (shown != ticked) listener->setChecked(shown);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    grid->addWidget(buttons, 2, 0, 1, 2);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        SettingsModel edited = *m;
        g1.store(edited.groups[0]);
        g2.store(edited.groups[1]);
        edited.listenerPort = listenerPort->text().toStdString();
        std::string error = edited.validate();
        if (!error.empty()) {  // nothing is stored; the user corrects the field
            QMessageBox::critical(&dialog, dialog.windowTitle(), q(error));
            return;
        }
        g1.store(m->groups[0]);
        g2.store(m->groups[1]);
        m->listenerPort = edited.listenerPort;
        m->listenAllInterfaces = allInterfaces->isChecked();
        m->allTalkers = allTalkers->isChecked();
        m->garmin = rbGarmin->isChecked();
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (setup) setup(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace nmea::ui
