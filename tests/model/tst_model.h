#pragma once
#include <QObject>

class TestModel : public QObject {
    Q_OBJECT
  private slots:
    // TestModel.cpp: the model object, units, modified state, saving.
    void newModel();
    void unitSystem();
    void unitSystemOfTables();
    void unitSystemOfProbabilistic();
    void modifiedState();
    void saveFailures();
    void cliCommands();

    // TestModelFiles.cpp: writing and reading input files.
    void exampleByteExact();
    void exampleDamResource();
    void numberFormsInFile();
    void anisotropySection();
    void emptySubTables();
    void readingRules();
    void sectionPasses();
    void spencerAndBlock();
    void oldLayout();
    void loadErrors();
    void damagedCounts();
    void roundTrips();
    void damagedFiles();
    void blankLinesBetweenSections();
    void probabilisticSection();
};
