<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AboutAppWidget</name>
    <message>
        <source>С днём рождения!</source>
        <translation>С днём рождения!</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Руководство</translation>
    </message>
    <message>
        <source>Open app manual</source>
        <translation>Открыть руководство пользователя</translation>
    </message>
    <message>
        <source>Open API in browser</source>
        <translation>Открыть API в браузере</translation>
    </message>
    <message>
        <source>ChangeLog</source>
        <translation>Список изменений</translation>
    </message>
    <message>
        <source>Open change log</source>
        <translation>Открыть список изменений программы (changelog)</translation>
    </message>
    <message>
        <source>New version</source>
        <translation>Новая версия</translation>
    </message>
    <message>
        <source>ул. Примерная, 1, Москва, 119000</source>
        <translation>ул. Примерная, 1, Москва, 119000</translation>
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
        <translation>Необходима инициализация фона</translation>
    </message>
</context>
<context>
    <name>BasePassiveAvoidance</name>
    <message>
        <source>В зоне диспенсера</source>
        <translation>В зоне диспенсера</translation>
    </message>
    <message>
        <source>Электростимуляция</source>
        <translation>Электростимуляция</translation>
    </message>
    <message>
        <source>Начните эксперимент</source>
        <translation>Начните эксперимент</translation>
    </message>
</context>
<context>
    <name>BasePropertyView</name>
    <message>
        <source>Set default to</source>
        <translation>Выставить значение по умолчанию</translation>
    </message>
</context>
<context>
    <name>ColorThemeEnum</name>
    <message>
        <source>Light</source>
        <translation>Светлая</translation>
    </message>
    <message>
        <source>System</source>
        <translation>По выбору системы</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Тёмная</translation>
    </message>
</context>
<context>
    <name>DiffMode_Type</name>
    <message>
        <source>DiffMode_Abs</source>
        <translation>Любое отличие</translation>
    </message>
    <message>
        <source>DiffMode_IfBrighter</source>
        <translation>Светлее фона</translation>
    </message>
    <message>
        <source>DiffMode_IfDarker</source>
        <translation>Темнее фона</translation>
    </message>
</context>
<context>
    <name>ElectrocutionBehavior</name>
    <message>
        <source>Peep</source>
        <translation>При заглядывании в зону</translation>
    </message>
    <message>
        <source>AllIn</source>
        <translation>При полном заходе в зону</translation>
    </message>
</context>
<context>
    <name>ExperimentController</name>
    <message>
        <source>The scenario &quot;%1&quot; is no longer there: choose a scenario</source>
        <translation>Сценария «%1» больше нет: выберите сценарий</translation>
    </message>
</context>
<context>
    <name>Experiment_Lightbox</name>
    <message>
        <source>Электростимуляция</source>
        <translation>Электростимуляция</translation>
    </message>
    <message>
        <source>До окончания</source>
        <translation>До окончания</translation>
    </message>
    <message>
        <source>Безопасное время</source>
        <translation>Безопасное время</translation>
    </message>
    <message>
        <source>Цикл</source>
        <translation>Цикл</translation>
    </message>
</context>
<context>
    <name>Experiment_StartleReflex</name>
    <message>
        <source>Фаза преамбулы</source>
        <translation>Фаза преамбулы</translation>
    </message>
    <message>
        <source>c</source>
        <translation>с</translation>
    </message>
    <message>
        <source>Фаза постамбулы</source>
        <translation>Фаза постамбулы</translation>
    </message>
    <message>
        <source>Цикл</source>
        <translation>Цикл</translation>
    </message>
</context>
<context>
    <name>ExperimentsTable</name>
    <message>
        <source>The spreadsheet %1 could not be saved; the console says why.</source>
        <translation>Не удалось сохранить таблицу %1; причина указана в консоли.</translation>
    </message>
    <message>
        <source>%1 already exists. Replace it?</source>
        <translation>%1 уже существует. Заменить его?</translation>
    </message>
</context>
<context>
    <name>ExportBehaviorOption</name>
    <message>
        <source>OnExport_OpenFile</source>
        <translation>Открыть файл</translation>
    </message>
    <message>
        <source>OnExport_OpenFolder</source>
        <translation>Открыть папку</translation>
    </message>
    <message>
        <source>OnExport_DoNothing</source>
        <translation>Ничего не делать</translation>
    </message>
</context>
<context>
    <name>Filesize</name>
    <message>
        <source>B</source>
        <translation>Б</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>Кбайт</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>Мбайт</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>Гбайт</translation>
    </message>
    <message>
        <source>TB</source>
        <translation>ТБайт</translation>
    </message>
</context>
<context>
    <name>FirmwareDialog</name>
    <message>
        <source>Refresh</source>
        <translation>Обновить</translation>
    </message>
    <message>
        <source>Get SN</source>
        <translation>Считать SN</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Отправить</translation>
    </message>
    <message>
        <source>Gen</source>
        <translation>Создать</translation>
    </message>
    <message>
        <source>New SN:</source>
        <translation>Новый SN:</translation>
    </message>
    <message>
        <source>V - Версия&lt;br&gt;YY - год&lt;br&gt;MM - месяц&lt;br&gt;B - партия&lt;br&gt;NN - номер в партии</source>
        <translation>V - Версия&lt;br&gt;YY - год&lt;br&gt;MM - месяц&lt;br&gt;B - партия&lt;br&gt;NN - номер в партии</translation>
    </message>
    <message>
        <source>The serial number of the board on %1 was not read: this version does not ask the boards for it.</source>
        <translation>Серийный номер платы на %1 не считан: эта версия не запрашивает его у плат.</translation>
    </message>
    <message>
        <source>The serial number was not sent to the board on %1: this version does not write serial numbers to the boards.</source>
        <translation>Серийный номер не отправлен на плату на %1: эта версия не записывает серийные номера в платы.</translation>
    </message>
    <message>
        <source>No serial port is chosen.</source>
        <translation>Последовательный порт не выбран.</translation>
    </message>
</context>
<context>
    <name>Generic</name>
    <message>
        <source>this app is already running</source>
        <translation>это приложение уже запущено</translation>
    </message>
    <message>
        <source>these apps are already running</source>
        <translation>эти приложения уже запущены</translation>
    </message>
    <message>
        <source>Cannot start because</source>
        <translation>Запуск невозможен, так как</translation>
    </message>
    <message>
        <source>%1 уже запущено.</source>
        <translation>%1 уже запущено.</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Гц</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>мА</translation>
    </message>
    <message>
        <source>s</source>
        <translation>с</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>мс</translation>
    </message>
    <message>
        <source>MaxDuration</source>
        <translation>Максимальная длительность</translation>
    </message>
    <message>
        <source>MainSettings</source>
        <translation>Основные настройки</translation>
    </message>
    <message>
        <source>XtraSettings</source>
        <translation>Дополнительные настройки</translation>
    </message>
    <message>
        <source>AdvancedSettings</source>
        <translation>Расширенные настройки</translation>
    </message>
    <message>
        <source>BaseFolder</source>
        <translation>Папка данных</translation>
    </message>
    <message>
        <source>1.Main</source>
        <translation>Основное</translation>
    </message>
    <message>
        <source>2.Detection</source>
        <translation>Распознавание</translation>
    </message>
    <message>
        <source>ColorTheme</source>
        <translation>Цветовая тема</translation>
    </message>
    <message>
        <source>DetectorSensitivity</source>
        <translation>Чувствительность детектора</translation>
    </message>
    <message>
        <source>DiffDilate</source>
        <translation>Расширение</translation>
    </message>
    <message>
        <source>DiffErode</source>
        <translation>Эрозия</translation>
    </message>
    <message>
        <source>DiffMinArea</source>
        <translation>Минимальная площадь</translation>
    </message>
    <message>
        <source>DiffMode</source>
        <translation>Режим разности</translation>
    </message>
    <message>
        <source>ExportBehavior</source>
        <translation>После экспорта</translation>
    </message>
    <message>
        <source>HighDefinitionMode</source>
        <translation>Режим высокой чёткости</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
    <message>
        <source>MaxBrightness</source>
        <translation>Максимальная яркость</translation>
    </message>
    <message>
        <source>OverlayOptions</source>
        <translation>Наложение</translation>
    </message>
    <message>
        <source>ReactionCircuit</source>
        <translation>Реакция на ток</translation>
    </message>
    <message>
        <source>ReactionLight</source>
        <translation>Реакция на свет</translation>
    </message>
    <message>
        <source>ReactionSound</source>
        <translation>Реакция на звук</translation>
    </message>
    <message>
        <source>ShowCycles</source>
        <translation>Показывать циклы</translation>
    </message>
    <message>
        <source>ShowCyclesVerbose</source>
        <translation>Подробно показывать циклы</translation>
    </message>
    <message>
        <source>ShowDetectionSettings</source>
        <translation>Показывать настройки распознавания</translation>
    </message>
    <message>
        <source>VideoRecordingQuality</source>
        <translation>Качество записи видео</translation>
    </message>
    <message>
        <source>Convenient device name</source>
        <translation>Удобное имя устройства</translation>
    </message>
    <message>
        <source>PreambulePhase</source>
        <translation>Фаза преамбулы</translation>
    </message>
    <message>
        <source>PreambulePhaseDescription</source>
        <translation>Время до первого цикла</translation>
    </message>
    <message>
        <source>PostambulePhase</source>
        <translation>Фаза постамбулы</translation>
    </message>
    <message>
        <source>PostambulePhaseDescription</source>
        <translation>Время после последнего цикла</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Название</translation>
    </message>
    <message>
        <source>Time until first transition to the dispenser zone (if occured)</source>
        <translation>Время до первого перехода в зону диспенсера (если он был)</translation>
    </message>
    <message>
        <source>Denial shows whether the rodent didn&apos;t visit dispenser zone</source>
        <translation>Отказ показывает, что грызун не заходил в зону диспенсера</translation>
    </message>
    <message>
        <source>ActiveAvoidance</source>
        <translation>Активное избегание</translation>
    </message>
    <message>
        <source>SoundToneLight</source>
        <translation>Тон в фазе света</translation>
    </message>
    <message>
        <source>LightBrightness</source>
        <translation>Яркость света</translation>
    </message>
    <message>
        <source>SoundToneElectrocution</source>
        <translation>Тон в фазе тока</translation>
    </message>
    <message>
        <source>StartPhase</source>
        <translation>Начальная фаза</translation>
    </message>
    <message>
        <source>LightPhase</source>
        <translation>Фаза света</translation>
    </message>
    <message>
        <source>BreakPhase</source>
        <translation>Фаза перерыва</translation>
    </message>
    <message>
        <source>ElectrocutionPhase</source>
        <translation>Фаза тока</translation>
    </message>
    <message>
        <source>Цикл</source>
        <translation>Цикл</translation>
    </message>
    <message>
        <source>Safe zone</source>
        <translation>Безопасная зона</translation>
    </message>
    <message>
        <source>Dispenser zone</source>
        <translation>Зона диспенсера</translation>
    </message>
    <message>
        <source>Time until first transition to the dark zone (if occured)</source>
        <translation>Время до первого перехода в тёмную зону (если он был)</translation>
    </message>
    <message>
        <source>Denial shows whether the rodent didn&apos;t move to the dark zone</source>
        <translation>Отказ показывает, что грызун не перешёл в тёмную зону</translation>
    </message>
    <message>
        <source>Start experiment</source>
        <translation>Начните эксперимент</translation>
    </message>
    <message>
        <source>Bright side</source>
        <translation>Светлая сторона</translation>
    </message>
    <message>
        <source>Dark side</source>
        <translation>Тёмная сторона</translation>
    </message>
    <message>
        <source> s</source>
        <translation> с</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Длительность</translation>
    </message>
    <message>
        <source>T latent</source>
        <translation>Т латентное</translation>
    </message>
    <message>
        <source>T stim</source>
        <translation>Т стимуляции</translation>
    </message>
    <message>
        <source>Time the rodent was electrically stimulated</source>
        <translation>Время, когда грызун получал электростимуляцию</translation>
    </message>
    <message>
        <source>T unstim</source>
        <translation>Т без стимуляции</translation>
    </message>
    <message>
        <source>Time the rodent wasn&apos;t electrically stimulated (idle)</source>
        <translation>Время без электростимуляции (покой)</translation>
    </message>
    <message>
        <source>Denial</source>
        <translation>Отказ</translation>
    </message>
    <message>
        <source>Rodent</source>
        <translation>Грызун</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Комментарий</translation>
    </message>
    <message>
        <source>Total elapsed time on both sides</source>
        <translation>Общее время на обеих сторонах</translation>
    </message>
    <message>
        <source>T left</source>
        <translation>Т слева</translation>
    </message>
    <message>
        <source>Elapsed time on the left side</source>
        <translation>Время на левой стороне</translation>
    </message>
    <message>
        <source>T right</source>
        <translation>Т справа</translation>
    </message>
    <message>
        <source>Elapsed time on the right side</source>
        <translation>Время на правой стороне</translation>
    </message>
    <message>
        <source>StartleReflex</source>
        <translation>Стартл-рефлекс</translation>
    </message>
    <message>
        <source>on platform</source>
        <translation>на платформе</translation>
    </message>
    <message>
        <source>On platform</source>
        <translation>На платформе</translation>
    </message>
    <message>
        <source>Off platform</source>
        <translation>Вне платформы</translation>
    </message>
    <message>
        <source>Awaiting rodent</source>
        <translation>Ожидание грызуна</translation>
    </message>
    <message>
        <source>Experiment finished</source>
        <translation>Эксперимент завершён</translation>
    </message>
    <message>
        <source>Initialize background</source>
        <translation>Инициализируйте фон</translation>
    </message>
    <message>
        <source>on the left side</source>
        <translation>с левой стороны</translation>
    </message>
    <message>
        <source>on the right side</source>
        <translation>с правой стороны</translation>
    </message>
    <message>
        <source> mA</source>
        <translation> мА</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>T react.</source>
        <translation>T реакц.</translation>
    </message>
    <message>
        <source>Reaction time - time from the beginning of light stimulation either until rodent reached the other side or until cycle ending</source>
        <translation>Время реакции - время от начала световой стимуляции до перехода грызуна на другую сторону или до конца цикла</translation>
    </message>
    <message>
        <source>N cycles</source>
        <translation>N циклов</translation>
    </message>
    <message>
        <source>Amount of cycles</source>
        <translation>Количество циклов</translation>
    </message>
    <message>
        <source>N el.stim.</source>
        <translation>N эл.стим.</translation>
    </message>
    <message>
        <source>Amount of times the rodent reached electrocution phase</source>
        <translation>Сколько раз грызун дошёл до фазы электростимуляции</translation>
    </message>
    <message>
        <source>N denials</source>
        <translation>N отказов</translation>
    </message>
    <message>
        <source>Amount of denials - the rodent didn&apos;t move from one side to another</source>
        <translation>Количество отказов - грызун не перешёл с одной стороны на другую</translation>
    </message>
    <message>
        <source>T avg.light stim.</source>
        <translation>T ср.свет.стим.</translation>
    </message>
    <message>
        <source>Average time (per cycle) of light stimulation</source>
        <translation>Среднее время (за цикл) световой стимуляции</translation>
    </message>
    <message>
        <source>T avg.el.stim.</source>
        <translation>T ср.эл.стим.</translation>
    </message>
    <message>
        <source>Average time (per cycle) of electric stimulation</source>
        <translation>Среднее время (за цикл) электростимуляции</translation>
    </message>
    <message>
        <source>T el.stim.</source>
        <translation>T эл.стим.</translation>
    </message>
    <message>
        <source>Total time of electric stimulation</source>
        <translation>Общее время электростимуляции</translation>
    </message>
    <message>
        <source>Cycle</source>
        <translation>Цикл</translation>
    </message>
    <message>
        <source>Avoided</source>
        <translation>Избегание</translation>
    </message>
    <message>
        <source>T₀</source>
        <translation>T₀</translation>
    </message>
    <message>
        <source>N stim</source>
        <translation>N стим</translation>
    </message>
    <message>
        <source>Общее количество стимулов</source>
        <translation>Общее количество стимулов</translation>
    </message>
    <message>
        <source>M stim</source>
        <translation>M стим</translation>
    </message>
    <message>
        <source>Общее количество стимулов, на которые обнаружена реакция</source>
        <translation>Общее количество стимулов, на которые обнаружена реакция</translation>
    </message>
    <message>
        <source>T reaction</source>
        <translation>T реакции</translation>
    </message>
    <message>
        <source>Average reaction time</source>
        <translation>Среднее время реакции</translation>
    </message>
    <message>
        <source>T light reaction</source>
        <translation>T реакции на свет</translation>
    </message>
    <message>
        <source>Среднее время реакции на свет</source>
        <translation>Среднее время реакции на свет</translation>
    </message>
    <message>
        <source>D light reaction</source>
        <translation>D реакции на свет</translation>
    </message>
    <message>
        <source>Средняя длительность реакции на свет</source>
        <translation>Средняя длительность реакции на свет</translation>
    </message>
    <message>
        <source>A light reaction</source>
        <translation>A реакции на свет</translation>
    </message>
    <message>
        <source>Средняя амплитуда реакции на свет</source>
        <translation>Средняя амплитуда реакции на свет</translation>
    </message>
    <message>
        <source>N light stim</source>
        <translation>N свет. стим</translation>
    </message>
    <message>
        <source>Количество световых стимулов</source>
        <translation>Количество световых стимулов</translation>
    </message>
    <message>
        <source>M light stim</source>
        <translation>M свет. стим</translation>
    </message>
    <message>
        <source>Количество световых стимулов, на которые обнаружена реакция</source>
        <translation>Количество световых стимулов, на которые обнаружена реакция</translation>
    </message>
    <message>
        <source>T circuit reaction</source>
        <translation>T реакции на ток</translation>
    </message>
    <message>
        <source>Среднее время реакции на электричество</source>
        <translation>Среднее время реакции на электричество</translation>
    </message>
    <message>
        <source>D circuit reaction</source>
        <translation>D реакции на ток</translation>
    </message>
    <message>
        <source>Средняя длительность реакции на электричество</source>
        <translation>Средняя длительность реакции на электричество</translation>
    </message>
    <message>
        <source>A circuit reaction</source>
        <translation>A реакции на ток</translation>
    </message>
    <message>
        <source>Средняя амплитуда реакции на электричество</source>
        <translation>Средняя амплитуда реакции на электричество</translation>
    </message>
    <message>
        <source>N circuit stim</source>
        <translation>N эл. стим</translation>
    </message>
    <message>
        <source>Количество электрических стимулов</source>
        <translation>Количество электрических стимулов</translation>
    </message>
    <message>
        <source>M circuit stim</source>
        <translation>M эл. стим</translation>
    </message>
    <message>
        <source>Количество электрических стимулов, на которые обнаружена реакция</source>
        <translation>Количество электрических стимулов, на которые обнаружена реакция</translation>
    </message>
    <message>
        <source>T sound reaction</source>
        <translation>T реакции на звук</translation>
    </message>
    <message>
        <source>Среднее время реакции на звук</source>
        <translation>Среднее время реакции на звук</translation>
    </message>
    <message>
        <source>D sound reaction</source>
        <translation>D реакции на звук</translation>
    </message>
    <message>
        <source>Средняя длительность реакции на звук</source>
        <translation>Средняя длительность реакции на звук</translation>
    </message>
    <message>
        <source>A sound reaction</source>
        <translation>A реакции на звук</translation>
    </message>
    <message>
        <source>Средняя амплитуда реакции на звук</source>
        <translation>Средняя амплитуда реакции на звук</translation>
    </message>
    <message>
        <source>N sound stim</source>
        <translation>N звук. стим</translation>
    </message>
    <message>
        <source>Количество звуковых стимулов</source>
        <translation>Количество звуковых стимулов</translation>
    </message>
    <message>
        <source>M sound stim</source>
        <translation>M звук. стим</translation>
    </message>
    <message>
        <source>Количество звуковых стимулов, на которые обнаружена реакция</source>
        <translation>Количество звуковых стимулов, на которые обнаружена реакция</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Изображение</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Видео</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Версия</translation>
    </message>
    <message>
        <source>built on </source>
        <translation>сборка от </translation>
    </message>
    <message>
        <source>OS</source>
        <translation>ОС</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-адрес</translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation>Обратная связь</translation>
    </message>
    <message>
        <source>Developers</source>
        <translation>Разработчики</translation>
    </message>
    <message>
        <source>-bit</source>
        <translation>-бит</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
    <message>
        <source>Open link</source>
        <translation>Открыть ссылку</translation>
    </message>
    <message>
        <source>Cannot save to</source>
        <translation>Невозможно сохранить в</translation>
    </message>
    <message>
        <source>Console</source>
        <translation>Консоль</translation>
    </message>
    <message>
        <source>Copy all to clipboard</source>
        <translation>Скопировать всё в буфер обмена</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Выбрать всё</translation>
    </message>
    <message>
        <source>Copy selected</source>
        <translation>Скопировать выбранное</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Save to file</source>
        <translation>Сохранить в файл</translation>
    </message>
    <message>
        <source>Quick save to file (Documents)</source>
        <translation>Быстро сохранить в Документы</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Прочее</translation>
    </message>
    <message>
        <source>Video cameras</source>
        <translation>Видеокамеры</translation>
    </message>
    <message>
        <source>Screen capture</source>
        <translation>Захват экрана</translation>
    </message>
    <message>
        <source>Screen</source>
        <translation>Экран</translation>
    </message>
    <message>
        <source>Microphones</source>
        <translation>Микрофоны</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Воспроизвести</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Остановить</translation>
    </message>
    <message>
        <source>Previous frame</source>
        <translation>Предыдущий кадр</translation>
    </message>
    <message>
        <source>Next frame</source>
        <translation>Следующий кадр</translation>
    </message>
    <message>
        <source>Loading data</source>
        <translation>Загрузка данных</translation>
    </message>
    <message>
        <source>New base folder</source>
        <translation>Новая базовая папка</translation>
    </message>
    <message>
        <source>Для смены папки необходим перезапуск программы.
Выполнить перезапуск сейчас?</source>
        <translation>Для смены папки необходим перезапуск программы.
Выполнить перезапуск сейчас?</translation>
    </message>
    <message>
        <source>Experiment settings</source>
        <translation>Настройки эксперимента</translation>
    </message>
    <message>
        <source>Detection settings</source>
        <translation>Настройки распознавания</translation>
    </message>
    <message>
        <source>Additional experiment settings</source>
        <translation>Дополнительные настройки эксперимента</translation>
    </message>
    <message>
        <source>SN</source>
        <translation>SN</translation>
    </message>
    <message>
        <source>LightBox</source>
        <translation>Тёмно-светлая камера</translation>
    </message>
    <message>
        <source>StepDown</source>
        <translation>Пассивное избегание (сход с платформы)</translation>
    </message>
    <message>
        <source>PlacePreference</source>
        <translation>Предпочтение места</translation>
    </message>
    <message>
        <source>ConflictTest</source>
        <translation>Конфликтный тест</translation>
    </message>
    <message>
        <source>To translate the app to the other language a restart is required. 
Restart now?</source>
        <translation>Для смены языка необходим перезапуск.
Перезапустить сейчас?</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Папка</translation>
    </message>
    <message>
        <source>Show in explorer</source>
        <translation>Показать в проводнике</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Калибровать</translation>
    </message>
    <message>
        <source>kHz</source>
        <translation>кГц</translation>
    </message>
    <message>
        <source>Verbose</source>
        <translation>Подробно</translation>
    </message>
    <message>
        <source>Cycles</source>
        <translation>Циклы</translation>
    </message>
    <message>
        <source>Scenario</source>
        <translation>Сценарий</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>Кол-во</translation>
    </message>
    <message>
        <source>Average</source>
        <translation type="vanished">Среднее</translation>
    </message>
    <message>
        <source>Dispersion</source>
        <translation>Дисперсия</translation>
    </message>
    <message>
        <source>CKO</source>
        <translation>СКО (σ)</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Мин.</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Макс.</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>Сумма</translation>
    </message>
    <message>
        <source>XLSX file</source>
        <translation>XLSX-файл</translation>
    </message>
    <message>
        <source>Comma-Separated Values (CSV)</source>
        <translation>Текстовый формат (CSV, значения, разделённые запятыми)</translation>
    </message>
    <message>
        <source>Save spreadsheet</source>
        <translation>Сохранить в табличный файл</translation>
    </message>
    <message>
        <source>Overall</source>
        <translation>Общее</translation>
    </message>
    <message>
        <source>Value descriptions</source>
        <translation>Описание величин</translation>
    </message>
    <message>
        <source>Language change</source>
        <translation>Смена языка</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Не сейчас</translation>
    </message>
    <message>
        <source>Time before stimulation</source>
        <translation>Время до стимуляции</translation>
    </message>
    <message>
        <source>Stimulation duration</source>
        <translation>Длительность стимуляции</translation>
    </message>
    <message>
        <source>Circuit</source>
        <translation>Сила тока</translation>
    </message>
    <message>
        <source>CyclesCount</source>
        <translation>Количество циклов</translation>
    </message>
    <message>
        <source>LightBoxSide</source>
        <translation>Сторона светлого отсека</translation>
    </message>
    <message>
        <source>UseDoor</source>
        <translation>Использовать дверцу</translation>
    </message>
    <message>
        <source>DoorlessElectrocutionBehavior</source>
        <translation>Условие стимуляции без дверцы</translation>
    </message>
    <message>
        <source>ElectrocutionWithDoorDuration</source>
        <translation>Длительность стимуляции при закрытой дверце</translation>
    </message>
    <message>
        <source>SafeTimeWithDoorDuration</source>
        <translation>Безопасное время после открытия дверцы</translation>
    </message>
    <message>
        <source>MaxCycles</source>
        <translation>Максимальное количество циклов</translation>
    </message>
    <message>
        <source>SoundTone</source>
        <translation>Частота тона</translation>
    </message>
    <message>
        <source>SafeDelay</source>
        <translation>Задержка определения зоны</translation>
    </message>
    <message>
        <source>ElectrocutionBehavior</source>
        <translation>Условие стимуляции</translation>
    </message>
    <message>
        <source>SoundToneForElectro</source>
        <translation>Частота тона при электростимуляции</translation>
    </message>
    <message>
        <source>SafeIntervalMs</source>
        <translation>Допустимое время в опасной зоне</translation>
    </message>
    <message>
        <source>Platform</source>
        <translation>Платформа</translation>
    </message>
    <message>
        <source>RectPlatformSide</source>
        <translation>Сторона платформы</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Чувствительность</translation>
    </message>
    <message>
        <source>DispenserSide</source>
        <translation>Сторона диспенсера</translation>
    </message>
    <message>
        <source>DispenserArea</source>
        <translation>Ширина зоны диспенсера</translation>
    </message>
    <message>
        <source>LightBrightnessLeft</source>
        <translation>Яркость света слева</translation>
    </message>
    <message>
        <source>LightBrightnessRight</source>
        <translation>Яркость света справа</translation>
    </message>
    <message>
        <source>Electro</source>
        <translation>Электростимуляция</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Свет</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Звук</translation>
    </message>
    <message>
        <source>CircuitDuration</source>
        <translation>Длительность электростимуляции</translation>
    </message>
    <message>
        <source>LightSide</source>
        <translation>Сторона света</translation>
    </message>
    <message>
        <source>LightDuration</source>
        <translation>Длительность света</translation>
    </message>
    <message>
        <source>SoundSide</source>
        <translation>Сторона звука</translation>
    </message>
    <message>
        <source>SoundDuration</source>
        <translation>Длительность звука</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Порог</translation>
    </message>
    <message>
        <source>px</source>
        <translation>пикс.</translation>
    </message>
    <message>
        <source>No program could be started to open %1</source>
        <translation>Не удалось запустить программу, чтобы открыть %1</translation>
    </message>
    <message>
        <source>Average (M)</source>
        <translation>Среднее (М)</translation>
    </message>
    <message>
        <source>cannot be accessed</source>
        <translation>недоступна</translation>
    </message>
    <message>
        <source>cannot be accessed, changing folder to &quot;</source>
        <translation>недоступна, будет выбрана стандартная папка &quot;</translation>
    </message>
</context>
<context>
    <name>KestrumAction</name>
    <message>
        <source>Light</source>
        <translation>Свет</translation>
    </message>
    <message>
        <source>Circuit</source>
        <translation>Электро</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Звук</translation>
    </message>
</context>
<context>
    <name>KestrumController</name>
    <message>
        <source>Свет</source>
        <translation>Свет</translation>
    </message>
    <message>
        <source>Звук</source>
        <translation>Звук</translation>
    </message>
    <message>
        <source>Электростимуляция</source>
        <translation>Электростимуляция</translation>
    </message>
    <message>
        <source>Двери</source>
        <translation>Двери</translation>
    </message>
</context>
<context>
    <name>KestrumExperimentTypeSelector</name>
    <message>
        <source>Тип эксперимента</source>
        <translation>Тип эксперимента</translation>
    </message>
    <message>
        <source>Идёт эксперимент. Остановить его и выбрать другой тип эксперимента?</source>
        <translation>Идёт эксперимент. Остановить его и выбрать другой тип эксперимента?</translation>
    </message>
    <message>
        <source>Остановить и выбрать</source>
        <translation>Остановить и выбрать</translation>
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
        <translation>Консоль</translation>
    </message>
    <message>
        <source>Статы</source>
        <translation>Статы</translation>
    </message>
    <message>
        <source>Устройства</source>
        <translation>Устройства</translation>
    </message>
    <message>
        <source>New version available</source>
        <translation>Новая версия</translation>
    </message>
    <message>
        <source>Kestrum</source>
        <translation>Кеструм</translation>
    </message>
    <message>
        <source>Эксперимент</source>
        <translation>Эксперимент</translation>
    </message>
    <message>
        <source>Записи</source>
        <translation>Записи</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Отладочное устройство</source>
        <translation>Отладочное устройство</translation>
    </message>
    <message>
        <source>Идёт эксперимент. Остановить его и закрыть программу?</source>
        <translation>Идёт эксперимент. Остановить его и закрыть программу?</translation>
    </message>
    <message>
        <source>Эксперимент идёт</source>
        <translation>Эксперимент идёт</translation>
    </message>
    <message>
        <source>Остановить и закрыть</source>
        <translation>Остановить и закрыть</translation>
    </message>
    <message>
        <source>Идёт эксперимент. Остановить его и открыть сервисное окно?</source>
        <translation>Идёт эксперимент. Остановить его и открыть сервисное окно?</translation>
    </message>
    <message>
        <source>Остановить и открыть</source>
        <translation>Остановить и открыть</translation>
    </message>
    <message>
        <source>Сервисное окно</source>
        <translation>Сервисное окно</translation>
    </message>
    <message>
        <source>Менеджер дверей</source>
        <translation>Менеджер дверей</translation>
    </message>
    <message>
        <source>Kestrum door manager not implemented</source>
        <translation>Менеджер дверей Кеструма не реализован</translation>
    </message>
</context>
<context>
    <name>KestrumSide</name>
    <message>
        <source>Left</source>
        <translation>Слева</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>Справа</translation>
    </message>
    <message>
        <source>Both</source>
        <translation>С обеих сторон</translation>
    </message>
</context>
<context>
    <name>KestrumSideness</name>
    <message>
        <source>LeftSide</source>
        <translation>Левая сторона</translation>
    </message>
    <message>
        <source>RightSide</source>
        <translation>Правая сторона</translation>
    </message>
</context>
<context>
    <name>KeyValueTableWidget</name>
    <message>
        <source>Key/Name</source>
        <translation>Ключ</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Величина</translation>
    </message>
</context>
<context>
    <name>KeyValueWidget</name>
    <message>
        <source>Ключ</source>
        <translation>Ключ</translation>
    </message>
    <message>
        <source>Значение</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Новый</source>
        <translation>Новый</translation>
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
        <translation>Инициализация фона</translation>
    </message>
    <message>
        <source>Калибровать</source>
        <translation>Инициализировать</translation>
    </message>
    <message>
        <source>Убедитесь, что грызун и посторонние предметы убраны из поля зрения камеры</source>
        <translation>Убедитесь, что грызун и посторонние предметы убраны из поля зрения камеры</translation>
    </message>
    <message>
        <source>Дверь</source>
        <translation>Дверь</translation>
    </message>
    <message>
        <source>Инициализировать фон</source>
        <translation>Инициализировать фон</translation>
    </message>
    <message>
        <source>Начать эксперимент</source>
        <translation>Начать эксперимент</translation>
    </message>
    <message>
        <source>Остановить эксперимент</source>
        <translation>Остановить эксперимент</translation>
    </message>
    <message>
        <source>Проинициализируйте фон</source>
        <translation>Инициализируйте фон</translation>
    </message>
    <message>
        <source>Грызун</source>
        <translation>Грызун</translation>
    </message>
    <message>
        <source>Коммент</source>
        <translation>Коммент</translation>
    </message>
    <message>
        <source>Choose scenario</source>
        <translation>Выберите сценарий</translation>
    </message>
    <message>
        <source>Choose not empty scenario</source>
        <translation>Выберите непустой сценарий</translation>
    </message>
    <message>
        <source>Connect startle sensor</source>
        <translation>Подключите датчик вздрагивания</translation>
    </message>
    <message>
        <source>Начните эксперимент</source>
        <translation>Начните эксперимент</translation>
    </message>
    <message>
        <source>Startle sensor</source>
        <translation>Датчик вздрагивания</translation>
    </message>
    <message>
        <source>The startle run on apparatus %1 is not started: no startle sensor of this apparatus is connected, so its reactions would not be recorded.</source>
        <translation>Эксперимент на установке %1 не начат: к этой установке не подключён датчик вздрагивания, и реакции животного не были бы записаны.</translation>
    </message>
    <message>
        <source>The startle run on apparatus %1 is stopped: the startle sensor could not record into %2.</source>
        <translation>Эксперимент на установке %1 остановлен: датчик вздрагивания не смог начать запись в %2.</translation>
    </message>
    <message>
        <source>Stopped: the run&apos;s files cannot be written</source>
        <translation>Остановлен: не удаётся записать файлы эксперимента</translation>
    </message>
    <message>
        <source>The run was stopped: %1 cannot be written (%2).</source>
        <translation>Эксперимент остановлен: не удаётся записать %1 (%2).</translation>
    </message>
    <message>
        <source>Run stopped</source>
        <translation>Эксперимент остановлен</translation>
    </message>
    <message>
        <source>The run was not started: its folder %1 cannot be created (%2).</source>
        <translation>Эксперимент не начат: не удаётся создать папку %1 (%2).</translation>
    </message>
    <message>
        <source>Run not started</source>
        <translation>Эксперимент не начат</translation>
    </message>
</context>
<context>
    <name>MultilineKeyValueTable</name>
    <message>
        <source>Key</source>
        <translation>Ключ</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Величина</translation>
    </message>
    <message>
        <source>Key already exists!</source>
        <translation>Такой ключ уже существует!</translation>
    </message>
    <message>
        <source>Define different key!</source>
        <translation>Задайте другой ключ!</translation>
    </message>
</context>
<context>
    <name>NewVersionChecker</name>
    <message>
        <source>Click to download new version</source>
        <translation>Нажмите, чтобы загрузить новую версию</translation>
    </message>
</context>
<context>
    <name>OverlayOptions</name>
    <message>
        <source>NoOverlay</source>
        <translation>Без наложения</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>Тень</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>Трек</translation>
    </message>
    <message>
        <source>Blob</source>
        <translation>Пятно</translation>
    </message>
</context>
<context>
    <name>PageAbout</name>
    <message>
        <source>Имя разработчика</source>
        <translation>Имя разработчика</translation>
    </message>
    <message>
        <source>Юридическое название производителя</source>
        <translation>Юридическое название производителя</translation>
    </message>
</context>
<context>
    <name>PageExperiment</name>
    <message>
        <source>No devices found</source>
        <translation>Устройства не найдены</translation>
    </message>
</context>
<context>
    <name>PageResults</name>
    <message>
        <source>No data</source>
        <translation>Нет данных</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Экспорт</translation>
    </message>
    <message>
        <source>%1 (unreadable)</source>
        <translation>%1 (не читается)</translation>
    </message>
    <message>
        <source>Показать в папке</source>
        <translation>Показать в папке</translation>
    </message>
    <message>
        <source>Удалить эксперимент</source>
        <translation>Удалить эксперимент</translation>
    </message>
    <message>
        <source>Удалить эксперименты</source>
        <translation>Удалить эксперименты</translation>
    </message>
    <message>
        <source>Обновить таблицу экспериментов</source>
        <translation>Обновить таблицу экспериментов</translation>
    </message>
    <message>
        <source>Перерасчёт эксперимента</source>
        <translation>Перерасчёт эксперимента</translation>
    </message>
    <message>
        <source>Все файлы этого эксперимента будут удалены безвозвратно.</source>
        <translation>Все файлы этого эксперимента будут удалены безвозвратно.</translation>
    </message>
    <message>
        <source>Все файлы этих экспериментов будут удалены безвозвратно.</source>
        <translation>Все файлы этих экспериментов будут удалены безвозвратно.</translation>
    </message>
    <message>
        <source>Вы уверены, что хотите продолжить?</source>
        <translation>Вы уверены, что хотите продолжить?</translation>
    </message>
    <message>
        <source>Удаление эксперимента</source>
        <translation>Удаление эксперимента</translation>
    </message>
    <message>
        <source>Удаление экспериментов</source>
        <translation>Удаление экспериментов</translation>
    </message>
    <message>
        <source>%1 (interrupted)</source>
        <translation>%1 (прерван)</translation>
    </message>
    <message>
        <source>The run was cut off before it was stopped (the program or the computer stopped). Its duration is taken from its last records; values that only a stop settles are missing (&quot;-&quot;).</source>
        <translation>Эксперимент оборван до остановки (прекратили работу программа или компьютер). Длительность взята из последних записей; значения, которые определяются только при остановке, отсутствуют (&quot;-&quot;).</translation>
    </message>
    <message>
        <source>Этот эксперимент ещё идёт: грызуна и комментарий можно исправить после его остановки.</source>
        <translation>Этот эксперимент ещё идёт: грызуна и комментарий можно исправить после его остановки.</translation>
    </message>
    <message>
        <source>Запись %1 не читается; изменение не сохранено.</source>
        <translation>Запись %1 не читается; изменение не сохранено.</translation>
    </message>
</context>
<context>
    <name>Phase</name>
    <message>
        <source>Start</source>
        <translation>Начало</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Свет</translation>
    </message>
    <message>
        <source>Electro</source>
        <translation>Ток</translation>
    </message>
    <message>
        <source>Break</source>
        <translation>Перерыв</translation>
    </message>
</context>
<context>
    <name>PlatformType</name>
    <message>
        <source>Platform_Round</source>
        <translation>Круглая</translation>
    </message>
    <message>
        <source>Platform_SmallRect</source>
        <translation>Малая прямоугольная</translation>
    </message>
    <message>
        <source>Platform_BigRect</source>
        <translation>Большая прямоугольная</translation>
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
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>Quality</name>
    <message>
        <source>VeryLowQuality</source>
        <translation>Очень низкое</translation>
    </message>
    <message>
        <source>LowQuality</source>
        <translation>Низкое</translation>
    </message>
    <message>
        <source>NormalQuality</source>
        <translation>Обычное</translation>
    </message>
    <message>
        <source>HighQuality</source>
        <translation>Высокое</translation>
    </message>
    <message>
        <source>VeryHighQuality</source>
        <translation>Очень высокое</translation>
    </message>
</context>
<context>
    <name>ScenarioEditor</name>
    <message>
        <source>Создать сценарий</source>
        <translation>Создать сценарий</translation>
    </message>
    <message>
        <source>Переименовать сценарий</source>
        <translation>Переименовать сценарий</translation>
    </message>
    <message>
        <source>Удалить сценарий</source>
        <translation>Удалить сценарий</translation>
    </message>
    <message>
        <source>Add scenario step</source>
        <translation>Добавить шаг сценария</translation>
    </message>
    <message>
        <source>Remove scenario step</source>
        <translation>Удалить шаг сценария</translation>
    </message>
    <message>
        <source>Move scenario step upwards</source>
        <translation>Передвинуть шаг сценария вверх по списку</translation>
    </message>
    <message>
        <source>Move scenario step downwards</source>
        <translation>Передвинуть шаг сценария вниз по списку</translation>
    </message>
    <message>
        <source>Создание сценария</source>
        <translation>Создание сценария</translation>
    </message>
    <message>
        <source>Переименование сценария</source>
        <translation>Переименование сценария</translation>
    </message>
</context>
<context>
    <name>SettingsWithLanguage</name>
    <message>
        <source>Language will be changed on program restart</source>
        <translation>Язык будет изменён при перезапуске</translation>
    </message>
</context>
<context>
    <name>SpecialPropertyView</name>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Любой файл</source>
        <translation>Любой файл</translation>
    </message>
</context>
<context>
    <name>VideoTransformationType</name>
    <message>
        <source>NoTransformation</source>
        <translation>Без преобразования</translation>
    </message>
    <message>
        <source>Rotate180</source>
        <translation>Повернуть на 180°</translation>
    </message>
    <message>
        <source>MirrorX</source>
        <translation>Отразить слева направо</translation>
    </message>
    <message>
        <source>MirrorY</source>
        <translation>Отразить сверху вниз</translation>
    </message>
</context>
<context>
    <name>VideoWidget</name>
    <message>
        <source>No available cameras</source>
        <translation>Нет доступных камер</translation>
    </message>
    <message>
        <source>Не выбрано</source>
        <translation>Не выбрано</translation>
    </message>
    <message>
        <source>Virtual chamber video</source>
        <translation>Видео виртуальной установки</translation>
    </message>
    <message>
        <source>In use</source>
        <translation>Используется</translation>
    </message>
    <message>
        <source>Для выбора камеры
нажмите правой кнопкой мыши
 по этой области</source>
        <translation>Для выбора камеры
нажмите правой кнопкой мыши
 по этой области</translation>
    </message>
    <message>
        <source>Ожидание камеры</source>
        <translation>Ожидание камеры</translation>
    </message>
</context>
</TS>
