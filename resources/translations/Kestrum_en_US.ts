<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AboutAppWidget</name>
    <message>
        <source>С днём рождения!</source>
        <translation>Happy birthday!</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Open app manual</source>
        <translation>Open app manual</translation>
    </message>
    <message>
        <source>Open API in browser</source>
        <translation>Open API in browser</translation>
    </message>
    <message>
        <source>ChangeLog</source>
        <translation>ChangeLog</translation>
    </message>
    <message>
        <source>Open change log</source>
        <translation>Open change log</translation>
    </message>
    <message>
        <source>New version</source>
        <translation>New version</translation>
    </message>
    <message>
        <source>ул. Примерная, 1, Москва, 119000</source>
        <translation>1 Primernaya St., Moscow, 119000, Russia</translation>
    </message>
    <message>
        <source>+7 (495) 000-00-00</source>
        <translation>+7 (495) 000-00-00</translation>
    </message>
</context>
<context>
    <name>BaseExperiment</name>
    <message>
        <source>Необходима инициализация фона</source>
        <translation>Background initialisation required</translation>
    </message>
</context>
<context>
    <name>BasePassiveAvoidance</name>
    <message>
        <source>В зоне диспенсера</source>
        <translation>In the dispenser zone</translation>
    </message>
    <message>
        <source>Электростимуляция</source>
        <translation>Electrical stimulation</translation>
    </message>
    <message>
        <source>Начните эксперимент</source>
        <translation>Start the experiment</translation>
    </message>
</context>
<context>
    <name>BasePropertyView</name>
    <message>
        <source>Set default to</source>
        <translation>Set default to</translation>
    </message>
</context>
<context>
    <name>ColorThemeEnum</name>
    <message>
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Dark</translation>
    </message>
</context>
<context>
    <name>DiffMode_Type</name>
    <message>
        <source>DiffMode_Abs</source>
        <translation>Any difference</translation>
    </message>
    <message>
        <source>DiffMode_IfBrighter</source>
        <translation>Brighter than the background</translation>
    </message>
    <message>
        <source>DiffMode_IfDarker</source>
        <translation>Darker than the background</translation>
    </message>
</context>
<context>
    <name>ElectrocutionBehavior</name>
    <message>
        <source>Peep</source>
        <translation>On peeking in</translation>
    </message>
    <message>
        <source>AllIn</source>
        <translation>With the whole body in</translation>
    </message>
</context>
<context>
    <name>ExperimentController</name>
    <message>
        <source>The scenario &quot;%1&quot; is no longer there: choose a scenario</source>
        <translation>The scenario &quot;%1&quot; is no longer there: choose a scenario</translation>
    </message>
</context>
<context>
    <name>Experiment_Lightbox</name>
    <message>
        <source>Электростимуляция</source>
        <translation>Electrical stimulation</translation>
    </message>
    <message>
        <source>До окончания</source>
        <translation>Until the end</translation>
    </message>
    <message>
        <source>Безопасное время</source>
        <translation>Safe time</translation>
    </message>
    <message>
        <source>Цикл</source>
        <translation>Cycle</translation>
    </message>
</context>
<context>
    <name>Experiment_StartleReflex</name>
    <message>
        <source>Фаза преамбулы</source>
        <translation>Preamble phase</translation>
    </message>
    <message>
        <source>c</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Фаза постамбулы</source>
        <translation>Postamble phase</translation>
    </message>
    <message>
        <source>Цикл</source>
        <translation>Cycle</translation>
    </message>
</context>
<context>
    <name>ExperimentsTable</name>
    <message>
        <source>The spreadsheet %1 could not be saved; the console says why.</source>
        <translation>The spreadsheet %1 could not be saved; the console says why.</translation>
    </message>
    <message>
        <source>%1 already exists. Replace it?</source>
        <translation>%1 already exists. Replace it?</translation>
    </message>
</context>
<context>
    <name>ExportBehaviorOption</name>
    <message>
        <source>OnExport_OpenFile</source>
        <translation>Open the file</translation>
    </message>
    <message>
        <source>OnExport_OpenFolder</source>
        <translation>Open the folder</translation>
    </message>
    <message>
        <source>OnExport_DoNothing</source>
        <translation>Do nothing</translation>
    </message>
</context>
<context>
    <name>Filesize</name>
    <message>
        <source>B</source>
        <translation>B</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>GB</translation>
    </message>
    <message>
        <source>TB</source>
        <translation>TB</translation>
    </message>
</context>
<context>
    <name>FirmwareDialog</name>
    <message>
        <source>Refresh</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>Get SN</source>
        <translation>Get SN</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Gen</source>
        <translation>Gen</translation>
    </message>
    <message>
        <source>New SN:</source>
        <translation>New SN:</translation>
    </message>
    <message>
        <source>V - Версия&lt;br&gt;YY - год&lt;br&gt;MM - месяц&lt;br&gt;B - партия&lt;br&gt;NN - номер в партии</source>
        <translation>V - version&lt;br&gt;YY - year&lt;br&gt;MM - month&lt;br&gt;B - batch&lt;br&gt;NN - number in the batch</translation>
    </message>
    <message>
        <source>The serial number of the board on %1 was not read: this version does not ask the boards for it.</source>
        <translation>The serial number of the board on %1 was not read: this version does not ask the boards for it.</translation>
    </message>
    <message>
        <source>The serial number was not sent to the board on %1: this version does not write serial numbers to the boards.</source>
        <translation>The serial number was not sent to the board on %1: this version does not write serial numbers to the boards.</translation>
    </message>
    <message>
        <source>No serial port is chosen.</source>
        <translation>No serial port is chosen.</translation>
    </message>
</context>
<context>
    <name>Generic</name>
    <message>
        <source>this app is already running</source>
        <translation>this app is already running</translation>
    </message>
    <message>
        <source>these apps are already running</source>
        <translation>these apps are already running</translation>
    </message>
    <message>
        <source>Cannot start because</source>
        <translation>Cannot start because</translation>
    </message>
    <message>
        <source>%1 уже запущено.</source>
        <translation>%1 is already running.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>Ok</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>MaxDuration</source>
        <translation>Maximum duration</translation>
    </message>
    <message>
        <source>MainSettings</source>
        <translation>Main settings</translation>
    </message>
    <message>
        <source>XtraSettings</source>
        <translation>Additional settings</translation>
    </message>
    <message>
        <source>AdvancedSettings</source>
        <translation>Advanced settings</translation>
    </message>
    <message>
        <source>BaseFolder</source>
        <translation>Data folder</translation>
    </message>
    <message>
        <source>1.Main</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>2.Detection</source>
        <translation>Detection</translation>
    </message>
    <message>
        <source>ColorTheme</source>
        <translation>Colour theme</translation>
    </message>
    <message>
        <source>DetectorSensitivity</source>
        <translation>Detector sensitivity</translation>
    </message>
    <message>
        <source>DiffDilate</source>
        <translation>Dilation</translation>
    </message>
    <message>
        <source>DiffErode</source>
        <translation>Erosion</translation>
    </message>
    <message>
        <source>DiffMinArea</source>
        <translation>Minimum area</translation>
    </message>
    <message>
        <source>DiffMode</source>
        <translation>Difference mode</translation>
    </message>
    <message>
        <source>ExportBehavior</source>
        <translation>After export</translation>
    </message>
    <message>
        <source>HighDefinitionMode</source>
        <translation>High definition mode</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>MaxBrightness</source>
        <translation>Maximum brightness</translation>
    </message>
    <message>
        <source>OverlayOptions</source>
        <translation>Overlay</translation>
    </message>
    <message>
        <source>ReactionCircuit</source>
        <translation>Reaction to current</translation>
    </message>
    <message>
        <source>ReactionLight</source>
        <translation>Reaction to light</translation>
    </message>
    <message>
        <source>ReactionSound</source>
        <translation>Reaction to sound</translation>
    </message>
    <message>
        <source>ShowCycles</source>
        <translation>Show cycles</translation>
    </message>
    <message>
        <source>ShowCyclesVerbose</source>
        <translation>Show cycles in detail</translation>
    </message>
    <message>
        <source>ShowDetectionSettings</source>
        <translation>Show detection settings</translation>
    </message>
    <message>
        <source>VideoRecordingQuality</source>
        <translation>Video recording quality</translation>
    </message>
    <message>
        <source>Convenient device name</source>
        <translation>Convenient device name</translation>
    </message>
    <message>
        <source>PreambulePhase</source>
        <translation>Preamble phase</translation>
    </message>
    <message>
        <source>PreambulePhaseDescription</source>
        <translation>Time before the first cycle</translation>
    </message>
    <message>
        <source>PostambulePhase</source>
        <translation>Postamble phase</translation>
    </message>
    <message>
        <source>PostambulePhaseDescription</source>
        <translation>Time after the last cycle</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Time until first transition to the dispenser zone (if occured)</source>
        <translation>Time until the first transition to the dispenser zone (if it occurred)</translation>
    </message>
    <message>
        <source>Denial shows whether the rodent didn&apos;t visit dispenser zone</source>
        <translation>Denial shows whether the rodent did not visit the dispenser zone</translation>
    </message>
    <message>
        <source>ActiveAvoidance</source>
        <translation>Active avoidance</translation>
    </message>
    <message>
        <source>SoundToneLight</source>
        <translation>Tone of the light phase</translation>
    </message>
    <message>
        <source>LightBrightness</source>
        <translation>Light brightness</translation>
    </message>
    <message>
        <source>SoundToneElectrocution</source>
        <translation>Tone of the current phase</translation>
    </message>
    <message>
        <source>StartPhase</source>
        <translation>Start phase</translation>
    </message>
    <message>
        <source>LightPhase</source>
        <translation>Light phase</translation>
    </message>
    <message>
        <source>BreakPhase</source>
        <translation>Break phase</translation>
    </message>
    <message>
        <source>ElectrocutionPhase</source>
        <translation>Current phase</translation>
    </message>
    <message>
        <source>Цикл</source>
        <translation>Cycle</translation>
    </message>
    <message>
        <source>Safe zone</source>
        <translation>Safe zone</translation>
    </message>
    <message>
        <source>Dispenser zone</source>
        <translation>Dispenser zone</translation>
    </message>
    <message>
        <source>Time until first transition to the dark zone (if occured)</source>
        <translation>Time until the first transition to the dark zone (if it occurred)</translation>
    </message>
    <message>
        <source>Denial shows whether the rodent didn&apos;t move to the dark zone</source>
        <translation>Denial shows whether the rodent did not move to the dark zone</translation>
    </message>
    <message>
        <source>Start experiment</source>
        <translation>Start experiment</translation>
    </message>
    <message>
        <source>Bright side</source>
        <translation>Bright side</translation>
    </message>
    <message>
        <source>Dark side</source>
        <translation>Dark side</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>T latent</source>
        <translation>T latent</translation>
    </message>
    <message>
        <source>T stim</source>
        <translation>T stim</translation>
    </message>
    <message>
        <source>Time the rodent was electrically stimulated</source>
        <translation>Time the rodent was electrically stimulated</translation>
    </message>
    <message>
        <source>T unstim</source>
        <translation>T unstim</translation>
    </message>
    <message>
        <source>Time the rodent wasn&apos;t electrically stimulated (idle)</source>
        <translation>Time the rodent was not electrically stimulated (idle)</translation>
    </message>
    <message>
        <source>Denial</source>
        <translation>Denial</translation>
    </message>
    <message>
        <source>Rodent</source>
        <translation>Rodent</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>Total elapsed time on both sides</source>
        <translation>Total elapsed time on both sides</translation>
    </message>
    <message>
        <source>T left</source>
        <translation>T left</translation>
    </message>
    <message>
        <source>Elapsed time on the left side</source>
        <translation>Elapsed time on the left side</translation>
    </message>
    <message>
        <source>T right</source>
        <translation>T right</translation>
    </message>
    <message>
        <source>Elapsed time on the right side</source>
        <translation>Elapsed time on the right side</translation>
    </message>
    <message>
        <source>StartleReflex</source>
        <translation>Startle reflex</translation>
    </message>
    <message>
        <source>on platform</source>
        <translation>on platform</translation>
    </message>
    <message>
        <source>On platform</source>
        <translation>On platform</translation>
    </message>
    <message>
        <source>Off platform</source>
        <translation>Off platform</translation>
    </message>
    <message>
        <source>Awaiting rodent</source>
        <translation>Awaiting rodent</translation>
    </message>
    <message>
        <source>Experiment finished</source>
        <translation>Experiment finished</translation>
    </message>
    <message>
        <source>Initialize background</source>
        <translation>Initialise the background</translation>
    </message>
    <message>
        <source>on the left side</source>
        <translation>on the left side</translation>
    </message>
    <message>
        <source>on the right side</source>
        <translation>on the right side</translation>
    </message>
    <message>
        <source> mA</source>
        <translation> mA</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>T react.</source>
        <translation>T react.</translation>
    </message>
    <message>
        <source>Reaction time - time from the beginning of light stimulation either until rodent reached the other side or until cycle ending</source>
        <translation>Reaction time - time from the beginning of light stimulation either until rodent reached the other side or until cycle ending</translation>
    </message>
    <message>
        <source>N cycles</source>
        <translation>N cycles</translation>
    </message>
    <message>
        <source>Amount of cycles</source>
        <translation>Amount of cycles</translation>
    </message>
    <message>
        <source>N el.stim.</source>
        <translation>N el.stim.</translation>
    </message>
    <message>
        <source>Amount of times the rodent reached electrocution phase</source>
        <translation>Amount of times the rodent reached electrocution phase</translation>
    </message>
    <message>
        <source>N denials</source>
        <translation>N denials</translation>
    </message>
    <message>
        <source>Amount of denials - the rodent didn&apos;t move from one side to another</source>
        <translation>Amount of denials - the rodent didn&apos;t move from one side to another</translation>
    </message>
    <message>
        <source>T avg.light stim.</source>
        <translation>T avg.light stim.</translation>
    </message>
    <message>
        <source>Average time (per cycle) of light stimulation</source>
        <translation>Average time (per cycle) of light stimulation</translation>
    </message>
    <message>
        <source>T avg.el.stim.</source>
        <translation>T avg.el.stim.</translation>
    </message>
    <message>
        <source>Average time (per cycle) of electric stimulation</source>
        <translation>Average time (per cycle) of electric stimulation</translation>
    </message>
    <message>
        <source>T el.stim.</source>
        <translation>T el.stim.</translation>
    </message>
    <message>
        <source>Total time of electric stimulation</source>
        <translation>Total time of electric stimulation</translation>
    </message>
    <message>
        <source>Cycle</source>
        <translation>Cycle</translation>
    </message>
    <message>
        <source>Avoided</source>
        <translation>Avoided</translation>
    </message>
    <message>
        <source>T₀</source>
        <translation>T₀</translation>
    </message>
    <message>
        <source>N stim</source>
        <translation>N stim</translation>
    </message>
    <message>
        <source>Общее количество стимулов</source>
        <translation>Total number of stimuli</translation>
    </message>
    <message>
        <source>M stim</source>
        <translation>M stim</translation>
    </message>
    <message>
        <source>Общее количество стимулов, на которые обнаружена реакция</source>
        <translation>Total number of stimuli with a reaction found</translation>
    </message>
    <message>
        <source>T reaction</source>
        <translation>T reaction</translation>
    </message>
    <message>
        <source>Average reaction time</source>
        <translation>Average reaction time</translation>
    </message>
    <message>
        <source>T light reaction</source>
        <translation>T light reaction</translation>
    </message>
    <message>
        <source>Среднее время реакции на свет</source>
        <translation>Average reaction time to light</translation>
    </message>
    <message>
        <source>D light reaction</source>
        <translation>D light reaction</translation>
    </message>
    <message>
        <source>Средняя длительность реакции на свет</source>
        <translation>Average reaction duration to light</translation>
    </message>
    <message>
        <source>A light reaction</source>
        <translation>A light reaction</translation>
    </message>
    <message>
        <source>Средняя амплитуда реакции на свет</source>
        <translation>Average reaction amplitude to light</translation>
    </message>
    <message>
        <source>N light stim</source>
        <translation>N light stim</translation>
    </message>
    <message>
        <source>Количество световых стимулов</source>
        <translation>Number of light stimuli</translation>
    </message>
    <message>
        <source>M light stim</source>
        <translation>M light stim</translation>
    </message>
    <message>
        <source>Количество световых стимулов, на которые обнаружена реакция</source>
        <translation>Number of light stimuli with a reaction found</translation>
    </message>
    <message>
        <source>T circuit reaction</source>
        <translation>T circuit reaction</translation>
    </message>
    <message>
        <source>Среднее время реакции на электричество</source>
        <translation>Average reaction time to current</translation>
    </message>
    <message>
        <source>D circuit reaction</source>
        <translation>D circuit reaction</translation>
    </message>
    <message>
        <source>Средняя длительность реакции на электричество</source>
        <translation>Average reaction duration to current</translation>
    </message>
    <message>
        <source>A circuit reaction</source>
        <translation>A circuit reaction</translation>
    </message>
    <message>
        <source>Средняя амплитуда реакции на электричество</source>
        <translation>Average reaction amplitude to current</translation>
    </message>
    <message>
        <source>N circuit stim</source>
        <translation>N circuit stim</translation>
    </message>
    <message>
        <source>Количество электрических стимулов</source>
        <translation>Number of electric stimuli</translation>
    </message>
    <message>
        <source>M circuit stim</source>
        <translation>M circuit stim</translation>
    </message>
    <message>
        <source>Количество электрических стимулов, на которые обнаружена реакция</source>
        <translation>Number of electric stimuli with a reaction found</translation>
    </message>
    <message>
        <source>T sound reaction</source>
        <translation>T sound reaction</translation>
    </message>
    <message>
        <source>Среднее время реакции на звук</source>
        <translation>Average reaction time to sound</translation>
    </message>
    <message>
        <source>D sound reaction</source>
        <translation>D sound reaction</translation>
    </message>
    <message>
        <source>Средняя длительность реакции на звук</source>
        <translation>Average reaction duration to sound</translation>
    </message>
    <message>
        <source>A sound reaction</source>
        <translation>A sound reaction</translation>
    </message>
    <message>
        <source>Средняя амплитуда реакции на звук</source>
        <translation>Average reaction amplitude to sound</translation>
    </message>
    <message>
        <source>N sound stim</source>
        <translation>N sound stim</translation>
    </message>
    <message>
        <source>Количество звуковых стимулов</source>
        <translation>Number of sound stimuli</translation>
    </message>
    <message>
        <source>M sound stim</source>
        <translation>M sound stim</translation>
    </message>
    <message>
        <source>Количество звуковых стимулов, на которые обнаружена реакция</source>
        <translation>Number of sound stimuli with a reaction found</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>built on </source>
        <translation>built on </translation>
    </message>
    <message>
        <source>OS</source>
        <translation>OS</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>Developers</source>
        <translation>Developers</translation>
    </message>
    <message>
        <source>-bit</source>
        <translation>-bit</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Open link</source>
        <translation>Open link</translation>
    </message>
    <message>
        <source>Cannot save to</source>
        <translation>Cannot save to</translation>
    </message>
    <message>
        <source>Console</source>
        <translation>Console</translation>
    </message>
    <message>
        <source>Copy all to clipboard</source>
        <translation>Copy all to clipboard</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>Copy selected</source>
        <translation>Copy selected</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Save to file</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>Quick save to file (Documents)</source>
        <translation>Quick save to file (Documents)</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>Video cameras</source>
        <translation>Video cameras</translation>
    </message>
    <message>
        <source>Screen capture</source>
        <translation>Screen capture</translation>
    </message>
    <message>
        <source>Screen</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>Microphones</source>
        <translation>Microphones</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Previous frame</source>
        <translation>Previous frame</translation>
    </message>
    <message>
        <source>Next frame</source>
        <translation>Next frame</translation>
    </message>
    <message>
        <source>Loading data</source>
        <translation>Loading data</translation>
    </message>
    <message>
        <source>New base folder</source>
        <translation>New base folder</translation>
    </message>
    <message>
        <source>Для смены папки необходим перезапуск программы.
Выполнить перезапуск сейчас?</source>
        <translation>Changing the folder requires restarting the program.
Restart now?</translation>
    </message>
    <message>
        <source>Experiment settings</source>
        <translation>Experiment settings</translation>
    </message>
    <message>
        <source>Detection settings</source>
        <translation>Detection settings</translation>
    </message>
    <message>
        <source>Additional experiment settings</source>
        <translation>Additional experiment settings</translation>
    </message>
    <message>
        <source>SN</source>
        <translation>SN</translation>
    </message>
    <message>
        <source>LightBox</source>
        <translation>Light/dark box</translation>
    </message>
    <message>
        <source>StepDown</source>
        <translation>Step-down</translation>
    </message>
    <message>
        <source>PlacePreference</source>
        <translation>Place preference</translation>
    </message>
    <message>
        <source>ConflictTest</source>
        <translation>Conflict test</translation>
    </message>
    <message>
        <source>To translate the app to the other language a restart is required. 
Restart now?</source>
        <translation>To translate the app to the other language a restart is required. 
Restart now?</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Show in explorer</source>
        <translation>Show in explorer</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>kHz</source>
        <translation>kHz</translation>
    </message>
    <message>
        <source>Verbose</source>
        <translation>Verbose</translation>
    </message>
    <message>
        <source>Cycles</source>
        <translation>Cycles</translation>
    </message>
    <message>
        <source>Scenario</source>
        <translation>Scenario</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>Amount</translation>
    </message>
    <message>
        <source>Average</source>
        <translation type="vanished">Average</translation>
    </message>
    <message>
        <source>Dispersion</source>
        <translation>Dispersion</translation>
    </message>
    <message>
        <source>CKO</source>
        <translation>σ</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>Sum</translation>
    </message>
    <message>
        <source>XLSX file</source>
        <translation>XLSX file</translation>
    </message>
    <message>
        <source>Comma-Separated Values (CSV)</source>
        <translation>Comma-Separated Values (CSV)</translation>
    </message>
    <message>
        <source>Save spreadsheet</source>
        <translation>Save spreadsheet</translation>
    </message>
    <message>
        <source>Overall</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>Value descriptions</source>
        <translation>Value descriptions</translation>
    </message>
    <message>
        <source>Language change</source>
        <translation>Language change</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Not now</translation>
    </message>
    <message>
        <source>Time before stimulation</source>
        <translation>Time before stimulation</translation>
    </message>
    <message>
        <source>Stimulation duration</source>
        <translation>Stimulation duration</translation>
    </message>
    <message>
        <source>Circuit</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>CyclesCount</source>
        <translation>Number of cycles</translation>
    </message>
    <message>
        <source>LightBoxSide</source>
        <translation>Lit compartment side</translation>
    </message>
    <message>
        <source>UseDoor</source>
        <translation>Use the door</translation>
    </message>
    <message>
        <source>DoorlessElectrocutionBehavior</source>
        <translation>Stimulation trigger without the door</translation>
    </message>
    <message>
        <source>ElectrocutionWithDoorDuration</source>
        <translation>Stimulation time behind the closed door</translation>
    </message>
    <message>
        <source>SafeTimeWithDoorDuration</source>
        <translation>Safe time after the door opens</translation>
    </message>
    <message>
        <source>MaxCycles</source>
        <translation>Maximum number of cycles</translation>
    </message>
    <message>
        <source>SoundTone</source>
        <translation>Tone frequency</translation>
    </message>
    <message>
        <source>SafeDelay</source>
        <translation>Zone decision delay</translation>
    </message>
    <message>
        <source>ElectrocutionBehavior</source>
        <translation>Stimulation trigger</translation>
    </message>
    <message>
        <source>SoundToneForElectro</source>
        <translation>Tone during stimulation</translation>
    </message>
    <message>
        <source>SafeIntervalMs</source>
        <translation>Tolerated time in the danger zone</translation>
    </message>
    <message>
        <source>Platform</source>
        <translation>Platform</translation>
    </message>
    <message>
        <source>RectPlatformSide</source>
        <translation>Platform side</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Sensitivity</translation>
    </message>
    <message>
        <source>DispenserSide</source>
        <translation>Dispenser side</translation>
    </message>
    <message>
        <source>DispenserArea</source>
        <translation>Dispenser zone width</translation>
    </message>
    <message>
        <source>LightBrightnessLeft</source>
        <translation>Light brightness on the left</translation>
    </message>
    <message>
        <source>LightBrightnessRight</source>
        <translation>Light brightness on the right</translation>
    </message>
    <message>
        <source>Electro</source>
        <translation>Electric stimulation</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>CircuitDuration</source>
        <translation>Stimulation duration</translation>
    </message>
    <message>
        <source>LightSide</source>
        <translation>Light side</translation>
    </message>
    <message>
        <source>LightDuration</source>
        <translation>Light duration</translation>
    </message>
    <message>
        <source>SoundSide</source>
        <translation>Sound side</translation>
    </message>
    <message>
        <source>SoundDuration</source>
        <translation>Sound duration</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>No program could be started to open %1</source>
        <translation>No program could be started to open %1</translation>
    </message>
    <message>
        <source>Average (M)</source>
        <translation>Average (M)</translation>
    </message>
    <message>
        <source>cannot be accessed</source>
        <translation>cannot be accessed</translation>
    </message>
    <message>
        <source>cannot be accessed, changing folder to &quot;</source>
        <translation>cannot be accessed, changing folder to &quot;</translation>
    </message>
</context>
<context>
    <name>KestrumAction</name>
    <message>
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>Circuit</source>
        <translation>Circuit</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
</context>
<context>
    <name>KestrumController</name>
    <message>
        <source>Свет</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>Звук</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>Электростимуляция</source>
        <translation>Electric stimulation</translation>
    </message>
    <message>
        <source>Двери</source>
        <translation>Motorized door</translation>
    </message>
</context>
<context>
    <name>KestrumExperimentTypeSelector</name>
    <message>
        <source>Тип эксперимента</source>
        <translation>Experiment type</translation>
    </message>
    <message>
        <source>Идёт эксперимент. Остановить его и выбрать другой тип эксперимента?</source>
        <translation>An experiment is running. Stop it and choose another experiment type?</translation>
    </message>
    <message>
        <source>Остановить и выбрать</source>
        <translation>Stop and choose</translation>
    </message>
</context>
<context>
    <name>KestrumLanguage</name>
    <message>
        <source>en_US</source>
        <translation>English</translation>
    </message>
    <message>
        <source>ru_RU</source>
        <translation>Русский</translation>
    </message>
</context>
<context>
    <name>KestrumMainWindow</name>
    <message>
        <source>Консоль</source>
        <translation>Console</translation>
    </message>
    <message>
        <source>Статы</source>
        <translation>Stats</translation>
    </message>
    <message>
        <source>Устройства</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>New version available</source>
        <translation>New version available</translation>
    </message>
    <message>
        <source>Kestrum</source>
        <translation>Kestrum</translation>
    </message>
    <message>
        <source>Эксперимент</source>
        <translation>Experiment</translation>
    </message>
    <message>
        <source>Записи</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Отладочное устройство</source>
        <translation>Debug device</translation>
    </message>
    <message>
        <source>Идёт эксперимент. Остановить его и закрыть программу?</source>
        <translation>An experiment is running. Stop it and close the program?</translation>
    </message>
    <message>
        <source>Эксперимент идёт</source>
        <translation>Experiment running</translation>
    </message>
    <message>
        <source>Остановить и закрыть</source>
        <translation>Stop and close</translation>
    </message>
    <message>
        <source>Идёт эксперимент. Остановить его и открыть сервисное окно?</source>
        <translation>An experiment is running. Stop it and open the service dialog?</translation>
    </message>
    <message>
        <source>Остановить и открыть</source>
        <translation>Stop and open</translation>
    </message>
    <message>
        <source>Сервисное окно</source>
        <translation>Service dialog</translation>
    </message>
    <message>
        <source>Менеджер дверей</source>
        <translation>Door manager</translation>
    </message>
    <message>
        <source>Kestrum door manager not implemented</source>
        <translation>Kestrum door manager not implemented</translation>
    </message>
</context>
<context>
    <name>KestrumSide</name>
    <message>
        <source>Left</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Right</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>Both</translation>
    </message>
</context>
<context>
    <name>KestrumSideness</name>
    <message>
        <source>LeftSide</source>
        <translation>Left side</translation>
    </message>
    <message>
        <source>RightSide</source>
        <translation>Right side</translation>
    </message>
</context>
<context>
    <name>KeyValueTableWidget</name>
    <message>
        <source>Key/Name</source>
        <translation>Key/Name</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
</context>
<context>
    <name>KeyValueWidget</name>
    <message>
        <source>Ключ</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>Значение</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Новый</source>
        <translation>New</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
</context>
<context>
    <name>MetaKestrumDevice</name>
    <message>
        <source>Калибровка фона</source>
        <translation>Background initialisation</translation>
    </message>
    <message>
        <source>Калибровать</source>
        <translation>Initialise</translation>
    </message>
    <message>
        <source>Убедитесь, что грызун и посторонние предметы убраны из поля зрения камеры</source>
        <translation>Make sure the rodent and any foreign objects are out of the camera view</translation>
    </message>
    <message>
        <source>Дверь</source>
        <translation>Door</translation>
    </message>
    <message>
        <source>Инициализировать фон</source>
        <translation>Initialise the background</translation>
    </message>
    <message>
        <source>Начать эксперимент</source>
        <translation>Start experiment</translation>
    </message>
    <message>
        <source>Остановить эксперимент</source>
        <translation>Stop experiment</translation>
    </message>
    <message>
        <source>Проинициализируйте фон</source>
        <translation>Initialise the background</translation>
    </message>
    <message>
        <source>Грызун</source>
        <translation>Rodent</translation>
    </message>
    <message>
        <source>Коммент</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>Choose scenario</source>
        <translation>Choose scenario</translation>
    </message>
    <message>
        <source>Choose not empty scenario</source>
        <translation>Choose not empty scenario</translation>
    </message>
    <message>
        <source>Connect startle sensor</source>
        <translation>Connect startle sensor</translation>
    </message>
    <message>
        <source>Начните эксперимент</source>
        <translation>Begin experiment</translation>
    </message>
    <message>
        <source>Startle sensor</source>
        <translation>Startle sensor</translation>
    </message>
    <message>
        <source>The startle run on apparatus %1 is not started: no startle sensor of this apparatus is connected, so its reactions would not be recorded.</source>
        <translation>The startle run on apparatus %1 is not started: no startle sensor of this apparatus is connected, so its reactions would not be recorded.</translation>
    </message>
    <message>
        <source>The startle run on apparatus %1 is stopped: the startle sensor could not record into %2.</source>
        <translation>The startle run on apparatus %1 is stopped: the startle sensor could not record into %2.</translation>
    </message>
    <message>
        <source>Stopped: the run&apos;s files cannot be written</source>
        <translation>Stopped: the run&apos;s files cannot be written</translation>
    </message>
    <message>
        <source>The run was stopped: %1 cannot be written (%2).</source>
        <translation>The run was stopped: %1 cannot be written (%2).</translation>
    </message>
    <message>
        <source>Run stopped</source>
        <translation>Run stopped</translation>
    </message>
    <message>
        <source>The run was not started: its folder %1 cannot be created (%2).</source>
        <translation>The run was not started: its folder %1 cannot be created (%2).</translation>
    </message>
    <message>
        <source>Run not started</source>
        <translation>Run not started</translation>
    </message>
</context>
<context>
    <name>MultilineKeyValueTable</name>
    <message>
        <source>Key</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Key already exists!</source>
        <translation>Key already exists!</translation>
    </message>
    <message>
        <source>Define different key!</source>
        <translation>Define different key!</translation>
    </message>
</context>
<context>
    <name>NewVersionChecker</name>
    <message>
        <source>Click to download new version</source>
        <translation>Click to download new version</translation>
    </message>
</context>
<context>
    <name>OverlayOptions</name>
    <message>
        <source>NoOverlay</source>
        <translation>No overlay</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>Shadow</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>Blob</source>
        <translation>Blob</translation>
    </message>
</context>
<context>
    <name>PageAbout</name>
    <message>
        <source>Имя разработчика</source>
        <translation>Developer&apos;s name</translation>
    </message>
    <message>
        <source>Юридическое название производителя</source>
        <translation>Maker&apos;s legal name</translation>
    </message>
</context>
<context>
    <name>PageExperiment</name>
    <message>
        <source>No devices found</source>
        <translation>No devices found</translation>
    </message>
</context>
<context>
    <name>PageResults</name>
    <message>
        <source>No data</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>%1 (unreadable)</source>
        <translation>%1 (unreadable)</translation>
    </message>
    <message>
        <source>Показать в папке</source>
        <translation>Show in folder</translation>
    </message>
    <message>
        <source>Удалить эксперимент</source>
        <translation>Remove experiment</translation>
    </message>
    <message>
        <source>Удалить эксперименты</source>
        <translation>Remove experiments</translation>
    </message>
    <message>
        <source>Обновить таблицу экспериментов</source>
        <translation>Refresh the experiments list</translation>
    </message>
    <message>
        <source>Перерасчёт эксперимента</source>
        <translation>Recalc experiment</translation>
    </message>
    <message>
        <source>Все файлы этого эксперимента будут удалены безвозвратно.</source>
        <translation>All files of this experiment will be permanently removed.</translation>
    </message>
    <message>
        <source>Все файлы этих экспериментов будут удалены безвозвратно.</source>
        <translation>All files of these experiments will be permanently removed.</translation>
    </message>
    <message>
        <source>Вы уверены, что хотите продолжить?</source>
        <translation>Continue?</translation>
    </message>
    <message>
        <source>Удаление эксперимента</source>
        <translation>Experiment removal</translation>
    </message>
    <message>
        <source>Удаление экспериментов</source>
        <translation>Experiments removal</translation>
    </message>
    <message>
        <source>%1 (interrupted)</source>
        <translation>%1 (interrupted)</translation>
    </message>
    <message>
        <source>The run was cut off before it was stopped (the program or the computer stopped). Its duration is taken from its last records; values that only a stop settles are missing (&quot;-&quot;).</source>
        <translation>The run was cut off before it was stopped (the program or the computer stopped). Its duration is taken from its last records; values that only a stop settles are missing (&quot;-&quot;).</translation>
    </message>
    <message>
        <source>Этот эксперимент ещё идёт: грызуна и комментарий можно исправить после его остановки.</source>
        <translation>This run is still being recorded: its rodent and comment can be corrected once it has stopped.</translation>
    </message>
    <message>
        <source>Запись %1 не читается; изменение не сохранено.</source>
        <translation>The record %1 cannot be read; the change is not saved.</translation>
    </message>
</context>
<context>
    <name>Phase</name>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>Electro</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>Break</source>
        <translation>Break</translation>
    </message>
</context>
<context>
    <name>PlatformType</name>
    <message>
        <source>Platform_Round</source>
        <translation>Round</translation>
    </message>
    <message>
        <source>Platform_SmallRect</source>
        <translation>Small rectangular</translation>
    </message>
    <message>
        <source>Platform_BigRect</source>
        <translation>Large rectangular</translation>
    </message>
</context>
<context>
    <name>QTableWidgetWithCopyPaste</name>
    <message>
        <source>Invalid clipboard data, unable to perform paste operation.</source>
        <translation>Invalid clipboard data, unable to perform paste operation.</translation>
    </message>
    <message>
        <source>Invalid clipboard data, incorrect number of columns.</source>
        <translation>Invalid clipboard data, incorrect number of columns.</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>Quality</name>
    <message>
        <source>VeryLowQuality</source>
        <translation>Very low</translation>
    </message>
    <message>
        <source>LowQuality</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>NormalQuality</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>HighQuality</source>
        <translation>High</translation>
    </message>
    <message>
        <source>VeryHighQuality</source>
        <translation>Very high</translation>
    </message>
</context>
<context>
    <name>ScenarioEditor</name>
    <message>
        <source>Создать сценарий</source>
        <translation>Create scenario</translation>
    </message>
    <message>
        <source>Переименовать сценарий</source>
        <translation>Rename scenario</translation>
    </message>
    <message>
        <source>Удалить сценарий</source>
        <translation>Remove scenario</translation>
    </message>
    <message>
        <source>Add scenario step</source>
        <translation>Add scenario step</translation>
    </message>
    <message>
        <source>Remove scenario step</source>
        <translation>Remove scenario step</translation>
    </message>
    <message>
        <source>Move scenario step upwards</source>
        <translation>Move scenario step upwards</translation>
    </message>
    <message>
        <source>Move scenario step downwards</source>
        <translation>Move scenario step downwards</translation>
    </message>
    <message>
        <source>Создание сценария</source>
        <translation>Scenario creation</translation>
    </message>
    <message>
        <source>Переименование сценария</source>
        <translation>Scenario renaming</translation>
    </message>
</context>
<context>
    <name>SettingsWithLanguage</name>
    <message>
        <source>Language will be changed on program restart</source>
        <translation>Language will be changed on program restart</translation>
    </message>
</context>
<context>
    <name>SpecialPropertyView</name>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Любой файл</source>
        <translation>Any file</translation>
    </message>
</context>
<context>
    <name>VideoTransformationType</name>
    <message>
        <source>NoTransformation</source>
        <translation>No transformation</translation>
    </message>
    <message>
        <source>Rotate180</source>
        <translation>Rotate by 180°</translation>
    </message>
    <message>
        <source>MirrorX</source>
        <translation>Mirror left to right</translation>
    </message>
    <message>
        <source>MirrorY</source>
        <translation>Mirror top to bottom</translation>
    </message>
</context>
<context>
    <name>VideoWidget</name>
    <message>
        <source>No available cameras</source>
        <translation>No available cameras</translation>
    </message>
    <message>
        <source>Не выбрано</source>
        <translation>Not selected</translation>
    </message>
    <message>
        <source>Virtual chamber video</source>
        <translation>Virtual chamber video</translation>
    </message>
    <message>
        <source>In use</source>
        <translation>In use</translation>
    </message>
    <message>
        <source>Для выбора камеры
нажмите правой кнопкой мыши
 по этой области</source>
        <translation>To choose a camera,
right-click
 on this area</translation>
    </message>
    <message>
        <source>Ожидание камеры</source>
        <translation>Waiting for the camera</translation>
    </message>
</context>
</TS>
