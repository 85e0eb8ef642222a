<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
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
    <name>SettingsWithLanguage</name>
    <message>
        <source>Language will be changed on program restart</source>
        <translation>Язык будет изменён при перезапуске</translation>
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
</TS>
