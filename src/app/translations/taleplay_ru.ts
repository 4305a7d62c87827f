<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CommandLine</name>
    <message>
        <source>only one GAME can be played at a time</source>
        <translation>за раз можно играть только в одну ИГРУ</translation>
    </message>
    <message>
        <source>--screen takes WIDTHxHEIGHT, such as 1024x768, each side from 1 to %1</source>
        <translation>--screen ждёт ШИРИНАxВЫСОТА, например 1024x768, каждая сторона от 1 до %1</translation>
    </message>
    <message>
        <source>--results takes the folder for result files</source>
        <translation>--results ждёт папку для файлов результатов</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>неизвестный параметр &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--screen and --fullscreen cannot be used together</source>
        <translation>--screen и --fullscreen нельзя указывать вместе</translation>
    </message>
    <message>
        <source>Usage: taleplay [OPTIONS] [GAME]

Plays a Taleplay game. GAME is a game&apos;s data folder (data_NAME), a folder
holding one, or a game&apos;s Windows program file (NAME.exe beside data_NAME);
the game is played as if NAME had been started in the folder above data_NAME.
Without GAME, a window lists the games of the current folder and the games
played lately. Started under a game&apos;s name (a link or copy named NAME), it
plays data_NAME of the current folder.

Options:
  --screen WIDTHxHEIGHT  play in a window whose inside has that size
  --fullscreen           play on the whole screen
  --results DIR          write result files into DIR (as TALEPLAY_RESULTS does)
  --verbose              show the messages of the toolkit and of GStreamer
  --author               author mode: F5 rebuilds the game from its files,
                         F12 shows or hides the inspector
  --watch                author mode, and the game is rebuilt whenever a
                         file of its data folder changes
  --read-aloud           read the screen&apos;s texts aloud from the start
                         (F2 turns reading aloud on and off)
  -h, --help             show this help and exit
  --version              show the version and exit
</source>
        <translation>Использование: taleplay [ПАРАМЕТРЫ] [ИГРА]

Запускает игру Taleplay. ИГРА — папка данных игры (data_ИМЯ), папка, в которой
она лежит, или программа игры для Windows (ИМЯ.exe рядом с data_ИМЯ); игра идёт
так, как если бы ИМЯ запустили в папке над data_ИМЯ.
Без ИГРЫ открывается окно со списком игр текущей папки и недавно сыгранных игр.
Запущенная под именем игры (ссылка или копия с именем ИМЯ), программа играет
data_ИМЯ текущей папки.

Параметры:
  --screen ШИРИНАxВЫСОТА  играть в окне, внутренняя часть которого такого размера
  --fullscreen            играть на весь экран
  --results ПАПКА         записывать файлы результатов в ПАПКУ (как TALEPLAY_RESULTS)
  --verbose               показывать сообщения графической библиотеки и GStreamer
  --author                режим автора: F5 заново строит игру из её файлов,
                          F12 показывает и прячет инспектор
  --watch                 режим автора, и игра строится заново при любом
                          изменении файла её папки данных
  --read-aloud            читать тексты экрана вслух с самого начала
                          (F2 включает и выключает чтение вслух)
  -h, --help              показать эту справку и выйти
  --version               показать версию и выйти
</translation>
    </message>
</context>
<context>
    <name>AccessibleNames</name>
    <message>
        <source>Rectangle</source>
        <translation>Прямоугольник</translation>
    </message>
    <message>
        <source>Square</source>
        <translation>Квадрат</translation>
    </message>
    <message>
        <source>Rounded rectangle</source>
        <translation>Скруглённый прямоугольник</translation>
    </message>
    <message>
        <source>Rounded square</source>
        <translation>Скруглённый квадрат</translation>
    </message>
    <message>
        <source>Ellipse</source>
        <translation>Эллипс</translation>
    </message>
    <message>
        <source>Circle</source>
        <translation>Круг</translation>
    </message>
    <message>
        <source>Button</source>
        <translation>Кнопка</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Картинка</translation>
    </message>
    <message>
        <source>Empty line</source>
        <translation>Пустая строка</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Список</translation>
    </message>
    <message>
        <source>Answer</source>
        <translation>Ответ</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Видео</translation>
    </message>
</context>
<context>
    <name>GameLocation</name>
    <message>
        <source>%1: no such file or folder</source>
        <translation>%1: нет такого файла или папки</translation>
    </message>
    <message>
        <source>%1 holds no game: there is no data_NAME folder in it</source>
        <translation>в %1 нет игры: в ней нет папки data_ИМЯ</translation>
    </message>
    <message>
        <source>%1 is not a game: give a data_NAME folder, a folder holding one, or NAME.exe beside data_NAME</source>
        <translation>%1 — не игра: укажите папку data_ИМЯ, папку, в которой она лежит, или ИМЯ.exe рядом с data_ИМЯ</translation>
    </message>
    <message>
        <source>%1: there is no data_%2 folder beside it</source>
        <translation>%1: рядом нет папки data_%2</translation>
    </message>
</context>
<context>
    <name>KeyboardPlay</name>
    <message>
        <source>Leave the game?</source>
        <translation>Выйти из игры?</translation>
    </message>
</context>
<context>
    <name>Launcher</name>
    <message>
        <source>cannot enter the folder %1</source>
        <translation>не удаётся войти в папку %1</translation>
    </message>
    <message>
        <source>%1 cannot be written; the result file goes to %2</source>
        <translation>в %1 нельзя записывать; файл результата будет записан в %2</translation>
    </message>
    <message>
        <source>author mode: F5 rebuilds the game from its files, F12 shows the inspector; a change to a file of the game rebuilds it too</source>
        <translation>режим автора: F5 заново строит игру из её файлов, F12 показывает инспектор; изменение файла игры тоже строит её заново</translation>
    </message>
    <message>
        <source>author mode: F5 rebuilds the game from its files, F12 shows the inspector</source>
        <translation>режим автора: F5 заново строит игру из её файлов, F12 показывает инспектор</translation>
    </message>
</context>
<context>
    <name>Playtest</name>
    <message>
        <source>--screen takes WIDTHxHEIGHT, such as 1280x1024</source>
        <translation>--screen ждёт ШИРИНАxВЫСОТА, например 1280x1024</translation>
    </message>
    <message>
        <source>too many arguments</source>
        <translation>слишком много аргументов</translation>
    </message>
    <message>
        <source>no data folder given</source>
        <translation>не указана папка данных</translation>
    </message>
    <message>
        <source>the data folder must be named data_NAME: %1</source>
        <translation>папка данных должна называться data_ИМЯ: %1</translation>
    </message>
    <message>
        <source>cannot read script %1</source>
        <translation>не удаётся прочитать сценарий %1</translation>
    </message>
    <message>
        <source>cannot write the offscreen screen description</source>
        <translation>не удаётся записать описание экрана без дисплея</translation>
    </message>
    <message>
        <source>cannot enter %1</source>
        <translation>не удаётся войти в %1</translation>
    </message>
    <message>
        <source>the program has ended</source>
        <translation>программа завершилась</translation>
    </message>
    <message>
        <source>key takes F1 to F12, Tab, Backtab, Return, Enter, Escape, Space, Backspace, Up, Down, Left, Right, a letter or a digit, not &apos;%1&apos;</source>
        <translation>key ждёт F1–F12, Tab, Backtab, Return, Enter, Escape, Space, Backspace, Up, Down, Left, Right, букву или цифру, а не &apos;%1&apos;</translation>
    </message>
    <message>
        <source>usage: taleplay-playtest [--screen WIDTHxHEIGHT] [--scratch] [--author | --watch] DATA_FOLDER [SCRIPT|-]
</source>
        <translation>использование: taleplay-playtest [--screen ШИРИНАxВЫСОТА] [--scratch] [--author | --watch] ПАПКА_ДАННЫХ [СЦЕНАРИЙ|-]
</translation>
    </message>
    <message>
        <source>cannot make a scratch folder for %1</source>
        <translation>не удаётся создать временную папку для %1</translation>
    </message>
</context>
<context>
    <name>ReadAloud</name>
    <message>
        <source>no speech engine is installed: nothing can be read aloud</source>
        <translation>не установлен синтезатор речи: читать вслух нечем</translation>
    </message>
</context>
<context>
    <name>taleplay::Inspector</name>
    <message>
        <source>Reports and errors</source>
        <translation>Сообщения и ошибки</translation>
    </message>
    <message>
        <source>left %1, top %2, width %3, height %4</source>
        <translation>слева %1, сверху %2, ширина %3, высота %4</translation>
    </message>
    <message numerus="yes">
        <source>… and %n more lines</source>
        <translation>
            <numerusform>… и ещё %n строка</numerusform>
            <numerusform>… и ещё %n строки</numerusform>
            <numerusform>… и ещё %n строк</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 (hidden)</source>
        <translation>%1 (скрыт)</translation>
    </message>
</context>
<context>
    <name>taleplay::launch::GameChooser</name>
    <message>
        <source>Open folder</source>
        <translation>Открыть папку</translation>
    </message>
    <message>
        <source>Choose a game — Taleplay</source>
        <translation>Выбор игры — Taleplay</translation>
    </message>
    <message>
        <source>Choose a game to play:</source>
        <translation>Выберите игру:</translation>
    </message>
    <message>
        <source>&amp;Open folder…</source>
        <translation>&amp;Открыть папку…</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>&amp;Играть</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Закрыть</translation>
    </message>
    <message>
        <source>Games in %1</source>
        <translation>Игры в папке %1</translation>
    </message>
    <message>
        <source>Played lately</source>
        <translation>Недавние игры</translation>
    </message>
    <message>
        <source>No game here yet. Open a game&apos;s folder (data_NAME) or the folder that holds it.</source>
        <translation>Здесь пока нет игр. Откройте папку игры (data_ИМЯ) или папку, в которой она лежит.</translation>
    </message>
    <message>
        <source>%1 holds several games: choose one.</source>
        <translation>В папке %1 несколько игр: выберите одну.</translation>
    </message>
</context>
<context>
    <name>Pictures</name>
    <message>
        <source>button %1</source>
        <translation>кнопка %1</translation>
    </message>
    <message>
        <source>EPS picture has no preview to show (PostScript is not drawn)</source>
        <translation>У рисунка EPS нет образа для показа (PostScript не рисуется)</translation>
    </message>
    <message>
        <source>%1 picture has an unsupported frame size (%2 x %3)</source>
        <translation>Рисунок %1 с кадром неподдерживаемого размера (%2 x %3)</translation>
    </message>
    <message>
        <source>%1 picture needs more than %2 of working memory to decode</source>
        <translation>Для чтения рисунка %1 нужно больше %2 рабочей памяти</translation>
    </message>
    <message>
        <source>%1 pictures cannot be drawn here (no renderer)</source>
        <translation>Рисунки %1 здесь нельзя нарисовать (нет средства рисования)</translation>
    </message>
    <message>
        <source>%1 picture holds too many bitmaps to draw</source>
        <translation>В рисунке %1 слишком много растровых вставок, чтобы его нарисовать</translation>
    </message>
    <message>
        <source>%1 picture has too many points to draw</source>
        <translation>В рисунке %1 слишком много точек, чтобы его нарисовать</translation>
    </message>
    <message>
        <source>%1 picture has too many records to draw</source>
        <translation>В рисунке %1 слишком много записей, чтобы его нарисовать</translation>
    </message>
    <message>
        <source>Not enough memory for the %1 picture of %2 x %3: the pictures shown take %4 of the %5 all pictures may take (TALEPLAY_PICTURE_MEMORY)</source>
        <translation>Не хватает памяти для рисунка %1 размером %2 x %3: показанные рисунки занимают %4 из %5, отведённых всем рисункам (TALEPLAY_PICTURE_MEMORY)</translation>
    </message>
    <message>
        <source>%1 picture needs more than %2 of memory to decode</source>
        <translation>Для чтения рисунка %1 нужно больше %2 памяти</translation>
    </message>
    <message>
        <source>%1 picture is damaged (%2)</source>
        <translation>Рисунок %1 повреждён (%2)</translation>
    </message>
    <message>
        <source>%1 picture uses an unsupported %2</source>
        <translation>В рисунке %1 не поддерживается: %2</translation>
    </message>
    <message>
        <source>%1 picture has an unsupported size (%2 x %3)</source>
        <translation>Рисунок %1 неподдерживаемого размера (%2 x %3)</translation>
    </message>
    <message>
        <source>%1 picture cannot be read (out of memory)</source>
        <translation>Рисунок %1 не прочитать (не хватает памяти)</translation>
    </message>
    <message>
        <source>%1 picture has no size (no placeable header and no window)</source>
        <translation>У рисунка %1 нет размера (нет заголовка размещения и окна)</translation>
    </message>
    <message>
        <source>background</source>
        <translation>фон</translation>
    </message>
    <message>
        <source>large background</source>
        <translation>большой фон</translation>
    </message>
    <message>
        <source>frame</source>
        <translation>рамка</translation>
    </message>
    <message>
        <source>picture %1</source>
        <translation>рисунок %1</translation>
    </message>
    <message>
        <source>corner</source>
        <translation>уголок</translation>
    </message>
</context>
</TS>
