<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AccessibleNames</name>
    <message>
        <source>Button</source>
        <translation>Кнопка</translation>
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
    <name>AnnouncedColour</name>
    <message>
        <source>white</source>
        <extracomment>The colour words complete &quot;The answer box “%1” turned %2&quot;.</extracomment>
        <translation>белым</translation>
    </message>
    <message>
        <source>black</source>
        <translation>чёрным</translation>
    </message>
    <message>
        <source>grey</source>
        <translation>серым</translation>
    </message>
    <message>
        <source>pink</source>
        <translation>розовым</translation>
    </message>
    <message>
        <source>red</source>
        <translation>красным</translation>
    </message>
    <message>
        <source>brown</source>
        <translation>коричневым</translation>
    </message>
    <message>
        <source>orange</source>
        <translation>оранжевым</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>жёлтым</translation>
    </message>
    <message>
        <source>green</source>
        <translation>зелёным</translation>
    </message>
    <message>
        <source>light blue</source>
        <translation>голубым</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>синим</translation>
    </message>
    <message>
        <source>purple</source>
        <translation>фиолетовым</translation>
    </message>
</context>
<context>
    <name>Announcements</name>
    <message>
        <source>%1, button</source>
        <translation>%1, кнопка</translation>
    </message>
    <message>
        <source>%1, answer box</source>
        <translation>%1, поле ответа</translation>
    </message>
    <message>
        <source>%1, list</source>
        <translation>%1, список</translation>
    </message>
    <message>
        <source>%1, video</source>
        <translation>%1, видео</translation>
    </message>
    <message>
        <source>The answer box “%1” turned %2</source>
        <translation>Поле ответа «%1» стало %2</translation>
    </message>
</context>
<context>
    <name>ClassResults</name>
    <message>
        <source>%1 does not exist</source>
        <translation>%1 не существует</translation>
    </message>
    <message>
        <source>%1 is no folder</source>
        <translation>%1 — не папка</translation>
    </message>
    <message>
        <source>%1 cannot be read</source>
        <translation>%1 нельзя прочитать</translation>
    </message>
    <message>
        <source>%1 is no results folder: it holds no results.csv, no pupil&apos;s folder with one, and no class.txt</source>
        <translation>%1 — не папка результатов: в ней нет ни results.csv, ни папки ученика с ним, ни class.txt</translation>
    </message>
    <message>
        <source>%1 lacks the sticky bit: a pupil could rename another pupil&apos;s folder (chmod +t %1 mends it)</source>
        <translation>у %1 нет бита sticky: ученик может переименовать папку другого ученика (исправит chmod +t %1)</translation>
    </message>
    <message>
        <source>%1 belongs to the account %2, not to the pupil it is named after: its results are left out</source>
        <translation>%1 принадлежит учётной записи %2, а не ученику, чьё имя носит: её результаты не учтены</translation>
    </message>
    <message>
        <source>%1 belongs to the account %2, not to the folder&apos;s owner: its names are left out</source>
        <translation>%1 принадлежит учётной записи %2, а не владельцу папки: имена из него не учтены</translation>
    </message>
    <message>
        <source>%1 is a table of an older Taleplay, which every pupil could change (its owner is %2): its results are shown all the same</source>
        <translation>%1 — таблица прежней версии Taleplay, которую мог изменить любой ученик (её владелец — %2): её результаты всё же показаны</translation>
    </message>
    <message>
        <source>%1 cannot be read (%2): left out</source>
        <translation>%1 нельзя прочитать (%2): не учтён</translation>
    </message>
    <message>
        <source>%1: lines that hold no result are left out (%2)</source>
        <translation>%1: строки без результата не учтены (%2)</translation>
    </message>
    <message>
        <source>Class results</source>
        <translation>Результаты класса</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Ученик</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Логин</translation>
    </message>
    <message>
        <source>Game</source>
        <translation>Игра</translation>
    </message>
    <message>
        <source>Best mark</source>
        <translation>Лучшая оценка</translation>
    </message>
    <message>
        <source>Last mark</source>
        <translation>Последняя оценка</translation>
    </message>
    <message>
        <source>Attempts</source>
        <translation>Попыток</translation>
    </message>
    <message>
        <source>First played</source>
        <translation>Первая игра</translation>
    </message>
    <message>
        <source>Last played</source>
        <translation>Последняя игра</translation>
    </message>
    <message>
        <source>not finished</source>
        <translation>не пройдена</translation>
    </message>
    <message>
        <source>en</source>
        <translation>ru</translation>
    </message>
    <message>
        <source>,</source>
        <translation>;</translation>
    </message>
</context>
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
        <source>--new-game takes the folder to make the new game in</source>
        <translation>--new-game требует папку, в которой сделать новую игру</translation>
    </message>
    <message>
        <source>--name takes the new game&apos;s name</source>
        <translation>--name требует имя новой игры</translation>
    </message>
    <message>
        <source>--encoding takes utf-8 or windows-1251</source>
        <translation>--encoding требует utf-8 или windows-1251</translation>
    </message>
    <message>
        <source>--new-game makes a game: it plays no GAME besides</source>
        <translation>--new-game делает игру: другую ИГРУ с ним не указывают</translation>
    </message>
    <message>
        <source>--name and --encoding go with --new-game</source>
        <translation>--name и --encoding указывают вместе с --new-game</translation>
    </message>
    <message>
        <source>--class-results takes a results folder</source>
        <translation>--class-results ждёт папку результатов</translation>
    </message>
    <message>
        <source>--class-results shows results and plays no GAME</source>
        <translation>с --class-results ИГРА не указывается: он только показывает результаты</translation>
    </message>
    <message>
        <source>Usage: taleplay [OPTIONS] [GAME]

Plays a Taleplay game. GAME is a game&apos;s data folder (data_NAME), a folder
holding one, or a game&apos;s Windows program file (NAME.exe beside data_NAME);
the game is played as if NAME had been started in the folder above data_NAME.
Without GAME, a window lists the games of the current folder, the games
played lately, those in the Documents folder and the installed examples.
Started under a game&apos;s name (a link or copy named NAME), it plays data_NAME
of the current folder.

Options:
  --screen WIDTHxHEIGHT  play in a window whose inside has that size
  --fullscreen           play on the whole screen
  --results DIR          write result files into DIR (as TALEPLAY_RESULTS does);
                         DIR may also be a school&apos;s database:
                         postgresql://HOST/NAME or service=NAME
  --class-results DIR    show the class&apos;s results in the results folder (or
                         the database) DIR
  --verbose              show the messages of the toolkit and of GStreamer
  --author               author mode: F5 rebuilds the game from its files,
                         F12 shows or hides the inspector, F6 edits the
                         game on the screen and Ctrl+S saves it
  --watch                author mode, and the game is rebuilt whenever a
                         file of its data folder changes
  --read-aloud           read the screen&apos;s texts aloud from the start
                         (F2 turns reading aloud on and off)
  --new-game DIR         make a new game from the template in DIR (or as
                         DIR, when it is named data_NAME) and open it in
                         author mode, watching its files
  --name NAME            the new game&apos;s name (data_NAME)
  --encoding ENCODING    its description files in utf-8 (the default) or
                         windows-1251, which the Windows player reads too
  -h, --help             show this help and exit
  --version              show the version and exit
</source>
        <translation>Использование: taleplay [ПАРАМЕТРЫ] [ИГРА]

Запускает игру Taleplay. ИГРА — папка данных игры (data_ИМЯ), папка, в которой
она лежит, или программа игры для Windows (ИМЯ.exe рядом с data_ИМЯ); игра идёт
так, как если бы ИМЯ запустили в папке над data_ИМЯ.
Без ИГРЫ открывается окно со списком игр текущей папки, недавно сыгранных игр,
игр из папки «Документы» и установленных примеров.
Запущенная под именем игры (ссылка или копия с именем ИМЯ), программа играет
data_ИМЯ текущей папки.

Параметры:
  --screen ШИРИНАxВЫСОТА  играть в окне, внутренняя часть которого такого размера
  --fullscreen            играть на весь экран
  --results ПАПКА         записывать файлы результатов в ПАПКУ (как TALEPLAY_RESULTS);
                          ПАПКОЙ может быть и база данных школы:
                          postgresql://СЕРВЕР/ИМЯ или service=ИМЯ
  --class-results ПАПКА   показать результаты класса из папки результатов (или
                          базы данных) ПАПКА
  --verbose               показывать сообщения графической библиотеки и GStreamer
  --author                режим автора: F5 заново строит игру из её файлов,
                          F12 показывает и прячет инспектор, F6 правит
                          игру прямо на экране, Ctrl+S сохраняет её
  --watch                 режим автора, и игра строится заново при любом
                          изменении файла её папки данных
  --read-aloud            читать тексты экрана вслух с самого начала
                          (F2 включает и выключает чтение вслух)
  --new-game ПАПКА        сделать новую игру из образца в ПАПКЕ (или саму
                          ПАПКУ, если она названа data_ИМЯ) и открыть её в
                          режиме автора, следя за её файлами
  --name ИМЯ              имя новой игры (data_ИМЯ)
  --encoding КОДИРОВКА    её файлы описания в utf-8 (по умолчанию) или в
                          windows-1251, которую читает и плеер для Windows
  -h, --help              показать эту справку и выйти
  --version               показать версию и выйти
</translation>
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
        <source>author mode: F5 rebuilds the game from its files, F12 shows the inspector, F6 edits it on the screen; a change to a file of the game rebuilds it too</source>
        <translation>режим автора: F5 заново строит игру из её файлов, F12 показывает инспектор, F6 правит её на экране; изменение файла игры тоже строит её заново</translation>
    </message>
    <message>
        <source>author mode: F5 rebuilds the game from its files, F12 shows the inspector, F6 edits it on the screen</source>
        <translation>режим автора: F5 заново строит игру из её файлов, F12 показывает инспектор, F6 правит её на экране</translation>
    </message>
    <message>
        <source>The results folder %1 does not exist.</source>
        <translation>Папки результатов %1 нет.</translation>
    </message>
    <message>
        <source>The results folder %1 is no folder.</source>
        <translation>Папка результатов %1 — не папка.</translation>
    </message>
    <message>
        <source>The results folder %1 cannot be written.</source>
        <translation>В папку результатов %1 нельзя записывать.</translation>
    </message>
    <message>
        <source>In the results folder %1, %2 belongs to another account.</source>
        <translation>В папке результатов %1 имя %2 занято другой учётной записью.</translation>
    </message>
    <message>
        <source>Your result is kept in %1 instead: tell your teacher.</source>
        <translation>Ваш результат сохранится в %1: скажите об этом учителю.</translation>
    </message>
    <message>
        <source>Games</source>
        <translation>Игры</translation>
    </message>
    <message>
        <source>made the new game %1 from the school quiz: change its description files into your own</source>
        <translation>новая игра %1 сделана из школьной викторины: переделайте её файлы описания в свою игру</translation>
    </message>
    <message>
        <source>my_game</source>
        <translation>моя_игра</translation>
    </message>
    <message>
        <source>Your result is written beside the game instead: tell your teacher.</source>
        <translation>Ваш результат запишется рядом с игрой: скажите об этом учителю.</translation>
    </message>
</context>
<context>
    <name>NewGame</name>
    <message>
        <source>the template of new games is not installed</source>
        <translation>образец новых игр не установлен</translation>
    </message>
    <message>
        <source>&apos;%1&apos; cannot be a game&apos;s name</source>
        <translation>&apos;%1&apos; не может быть именем игры</translation>
    </message>
    <message>
        <source>%1 already exists: choose another name</source>
        <translation>%1 уже есть: выберите другое имя</translation>
    </message>
    <message>
        <source>cannot make %1: %2</source>
        <translation>не удаётся создать %1: %2</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>не удаётся записать %1</translation>
    </message>
    <message>
        <source>cannot read the template %1: %2</source>
        <translation>не удаётся прочитать образец %1: %2</translation>
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
        <source>key takes F1 to F12, Tab, Backtab, Return, Enter, Escape, Space, Backspace, Delete, Up, Down, Left, Right, a letter or a digit, after any of Ctrl+, Shift+ and Alt+, not &apos;%1&apos;</source>
        <translation>key ждёт F1–F12, Tab, Backtab, Return, Enter, Escape, Space, Backspace, Delete, Up, Down, Left, Right, букву или цифру, перед которыми могут стоять Ctrl+, Shift+ и Alt+, а не &apos;%1&apos;</translation>
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
    <message>
        <source>error window: %1</source>
        <translation>окно ошибки: %1</translation>
    </message>
    <message>
        <source>question: %1</source>
        <translation>вопрос: %1</translation>
    </message>
    <message>
        <source>message box: %1</source>
        <translation>сообщение: %1</translation>
    </message>
    <message>
        <source>FAILED: %1</source>
        <translation>НЕ ПРОЙДЕНО: %1</translation>
    </message>
    <message>
        <source>program ended: %1</source>
        <translation>программа завершилась: %1</translation>
    </message>
    <message>
        <source>: an unknown error</source>
        <translation>: неизвестная ошибка</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>неизвестная команда &apos;%1&apos;</translation>
    </message>
    <message>
        <source>dump needs a file name or -</source>
        <translation>dump требует имя файла или -</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>не удаётся записать %1</translation>
    </message>
    <message>
        <source>screenshot needs a file name</source>
        <translation>screenshot требует имя файла</translation>
    </message>
    <message>
        <source>ok: %1</source>
        <translation>пройдено: %1</translation>
    </message>
    <message>
        <source>no visible control named &apos;%1&apos;</source>
        <translation>нет видимого элемента с именем &apos;%1&apos;</translation>
    </message>
    <message>
        <source>drag takes NAME DX DY</source>
        <translation>drag ждёт ИМЯ DX DY</translation>
    </message>
    <message>
        <source>no control named &apos;%1&apos;</source>
        <translation>нет элемента с именем &apos;%1&apos;</translation>
    </message>
    <message>
        <source>no text window named &apos;%1&apos;</source>
        <translation>нет поля ввода с именем &apos;%1&apos;</translation>
    </message>
    <message>
        <source>wait takes milliseconds</source>
        <translation>wait требует число миллисекунд</translation>
    </message>
    <message>
        <source> (no message)</source>
        <translation> (сообщений не было)</translation>
    </message>
    <message>
        <source> (seen:%1)</source>
        <translation> (были:%1)</translation>
    </message>
    <message>
        <source> (not said)</source>
        <translation> (не прозвучало)</translation>
    </message>
    <message>
        <source> (the result file is not a regular file)</source>
        <translation> (файл результата — не обычный файл)</translation>
    </message>
    <message>
        <source> (the result file cannot be read)</source>
        <translation> (файл результата не читается)</translation>
    </message>
    <message>
        <source> (got %1)</source>
        <translation> (получено %1)</translation>
    </message>
    <message>
        <source>prop: no control named &apos;%1&apos;</source>
        <translation>prop: нет элемента с именем &apos;%1&apos;</translation>
    </message>
    <message>
        <source>unknown expectation &apos;%1&apos;</source>
        <translation>неизвестная проверка &apos;%1&apos;</translation>
    </message>
    <message>
        <source>the window was closed</source>
        <translation>окно закрыто</translation>
    </message>
    <message>
        <source>answer takes yes or no</source>
        <translation>answer требует yes или no</translation>
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
    <name>ResultsCommand</name>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 нельзя записать: %2</translation>
    </message>
    <message>
        <source>%1 takes a file</source>
        <translation>%1 ждёт файл</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>неизвестный параметр &apos;%1&apos;</translation>
    </message>
    <message>
        <source>only one FOLDER at a time</source>
        <translation>за раз можно указать только одну ПАПКУ</translation>
    </message>
    <message>
        <source>no results folder given</source>
        <translation>не указана папка результатов</translation>
    </message>
    <message>
        <source>--csv and --html name the same file</source>
        <translation>--csv и --html указывают один и тот же файл</translation>
    </message>
    <message>
        <source>Usage: taleplay-results [--class NAME] [--csv FILE] [--html FILE] FOLDER|DATABASE

Prints the class&apos;s results of a results folder or of a school&apos;s database (postgresql://HOST/NAME or service=NAME), one line per pupil and game.
  --class NAME  only the pupils of this class of the database&apos;s lists
  --csv FILE    also write the table for spreadsheets (UTF-8)
  --html FILE   also write the table as a page for printing
FILE - is standard output.
</source>
        <translation>Использование: taleplay-results [--class КЛАСС] [--csv ФАЙЛ] [--html ФАЙЛ] ПАПКА|БАЗА

Печатает результаты класса из папки результатов или из базы данных школы (postgresql://СЕРВЕР/ИМЯ или service=ИМЯ), по строке на ученика и игру.
  --class КЛАСС  только ученики этого класса из списков базы
  --csv ФАЙЛ     ещё записать таблицу для электронных таблиц (UTF-8)
  --html ФАЙЛ    ещё записать таблицу страницей для печати
ФАЙЛ - — стандартный вывод.
</translation>
    </message>
    <message>
        <source>--class takes a class&apos;s name</source>
        <translation>--class требует название класса</translation>
    </message>
    <message>
        <source>no class %1 in the lists of %2</source>
        <translation>в списках %2 нет класса %1</translation>
    </message>
</context>
<context>
    <name>ResultsDatabase</name>
    <message>
        <source>The database connection cannot be read: %1</source>
        <translation>Подключение к базе данных не удаётся разобрать: %1</translation>
    </message>
    <message>
        <source>The database connection holds a password, which is refused: the list of processes shows it to every user, and the shell&apos;s history keeps it. Put the password in the password file (~/.pgpass) or the service file (~/.pg_service.conf) instead.</source>
        <translation>В подключении к базе данных указан пароль, и оно отклонено: список процессов показывает его всем пользователям, а история оболочки его хранит. Запишите пароль в файл паролей (~/.pgpass) или в файл служб (~/.pg_service.conf).</translation>
    </message>
    <message>
        <source>The results database %1 cannot be read: %2</source>
        <translation>Базу результатов %1 нельзя прочитать: %2</translation>
    </message>
    <message>
        <source>Your result was not sent to the results database. %1</source>
        <translation>Ваш результат не отправлен в базу результатов. %1</translation>
    </message>
    <message>
        <source>there is no home folder</source>
        <translation>нет домашней папки</translation>
    </message>
    <message>
        <source>Your result could not be sent to the results database now (%1). It is kept on this computer and will be sent when a game is started again.</source>
        <translation>Сейчас ваш результат не удалось отправить в базу результатов (%1). Он сохранён на этом компьютере и будет отправлен, когда снова запустится игра.</translation>
    </message>
    <message>
        <source>Your result could not be sent to the results database (%1), nor kept on this computer to be sent later (%2): tell your teacher.</source>
        <translation>Ваш результат не удалось отправить в базу результатов (%1) и не удалось сохранить на этом компьютере, чтобы отправить позже (%2): скажите учителю.</translation>
    </message>
    <message>
        <source>results waiting to be sent: %1; not sent now: %2</source>
        <translation>результатов ждут отправки: %1; сейчас не отправлены: %2</translation>
    </message>
    <message>
        <source>%1 holds no result; it is left as it is</source>
        <translation>в %1 нет результата; файл оставлен как есть</translation>
    </message>
    <message>
        <source>the server did not answer in time</source>
        <translation>сервер не ответил вовремя</translation>
    </message>
    <message>
        <source>Usage: taleplay-results-db init DATABASE
       taleplay-results-db classlist DATABASE CLASS FILE

init makes the schema taleplay and the roles taleplay_pupil (may only add results) and taleplay_teacher (reads them) in DATABASE, with the passwords of TALEPLAY_PUPIL_PASSWORD and TALEPLAY_TEACHER_PASSWORD when they are set; run again, it changes nothing.
classlist stores FILE (a class.txt: login, tab, name) as the class CLASS.
DATABASE is postgresql://HOST/NAME or service=NAME, as a user who may create roles; its password comes from the password file or the service file.
</source>
        <translation>Использование: taleplay-results-db init БАЗА
       taleplay-results-db classlist БАЗА КЛАСС ФАЙЛ

init создаёт в БАЗЕ схему taleplay и роли taleplay_pupil (может только добавлять результаты) и taleplay_teacher (читает их), с паролями из TALEPLAY_PUPIL_PASSWORD и TALEPLAY_TEACHER_PASSWORD, если они заданы; повторный запуск ничего не меняет.
classlist сохраняет ФАЙЛ (class.txt: логин, табуляция, имя) как класс КЛАСС.
БАЗА — postgresql://СЕРВЕР/ИМЯ или service=ИМЯ, от имени пользователя, который может создавать роли; пароль берётся из файла паролей или из файла служб.
</translation>
    </message>
    <message>
        <source>%1 was not prepared: %2</source>
        <translation>%1 не подготовлена: %2</translation>
    </message>
    <message>
        <source>%1 is ready: the schema taleplay, the role taleplay_pupil (may only add results) and the role taleplay_teacher (reads them).</source>
        <translation>%1 готова: схема taleplay, роль taleplay_pupil (может только добавлять результаты) и роль taleplay_teacher (читает их).</translation>
    </message>
    <message>
        <source>The password of %1 is set.</source>
        <translation>Пароль роли %1 установлен.</translation>
    </message>
    <message>
        <source>%2 is not set: the password of %1 stays as it was.</source>
        <translation>%2 не задана: пароль роли %1 остаётся прежним.</translation>
    </message>
    <message>
        <source>%1 cannot be read</source>
        <translation>%1 нельзя прочитать</translation>
    </message>
    <message>
        <source>%1 lists no pupil</source>
        <translation>в %1 нет ни одного ученика</translation>
    </message>
    <message>
        <source>The class %1 was not stored: %2</source>
        <translation>Класс %1 не сохранён: %2</translation>
    </message>
    <message>
        <source>The class %1 (%2 pupils) is stored in %3.</source>
        <translation>Класс %1 (учеников: %2) сохранён в %3.</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>не указана команда</translation>
    </message>
    <message>
        <source>unknown command %1</source>
        <translation>неизвестная команда %1</translation>
    </message>
    <message>
        <source>init takes DATABASE</source>
        <translation>init требует БАЗУ</translation>
    </message>
    <message>
        <source>classlist takes DATABASE CLASS FILE</source>
        <translation>classlist требует БАЗУ КЛАСС ФАЙЛ</translation>
    </message>
    <message>
        <source>DATABASE must be postgresql://HOST/NAME or service=NAME</source>
        <translation>БАЗА должна быть postgresql://СЕРВЕР/ИМЯ или service=ИМЯ</translation>
    </message>
</context>
<context>
    <name>taleplay::AuthorMode</name>
    <message>
        <source>A file of the game changed outside: it was read again, and the steps before cannot be undone.</source>
        <translation>Файл игры изменён вне редактора: он прочитан заново, прежние шаги отменить уже нельзя.</translation>
    </message>
    <message>
        <source>Saved %1; the game was built again from its files.</source>
        <translation>Сохранено: %1; игра заново построена из своих файлов.</translation>
    </message>
    <message>
        <source>The game has changes that are not saved. Save them before closing? (No closes without saving them.)</source>
        <translation>В игре есть несохранённые изменения. Сохранить их перед закрытием? («Нет» закроет без сохранения.)</translation>
    </message>
</context>
<context>
    <name>taleplay::CheckerFindings</name>
    <message>
        <source>the game checker (taleplay-check) is not installed</source>
        <translation>проверка игры (taleplay-check) не установлена</translation>
    </message>
    <message>
        <source>the game checker failed: %1</source>
        <translation>проверка игры не удалась: %1</translation>
    </message>
</context>
<context>
    <name>taleplay::EditForm</name>
    <message>
        <source>Edit %1 — Taleplay</source>
        <translation>Правка %1 — Taleplay</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Выбрать…</translation>
    </message>
    <message>
        <source>What a click does is written in allbuttons.txt as a click rule: *%1*click*target#condition^target&amp;command+target=command~ . A button added here has one to fill in, without its first &quot;*&quot;, so that it does nothing until it is done.</source>
        <translation>Что делает щелчок, записано в allbuttons.txt правилом щелчка: *%1*click*цель#условие^цель&amp;команда+цель=команда~ . У кнопки, добавленной здесь, есть заготовка такого правила без первой «*», чтобы она ничего не делала, пока не заполнена.</translation>
    </message>
    <message>
        <source>Keys it writes:</source>
        <translation>Записываемые ключи:</translation>
    </message>
    <message>
        <source>Choose a picture</source>
        <translation>Выберите картинку</translation>
    </message>
    <message>
        <source>Pictures (*.png *.bmp *.jpg *.jpeg *.gif *.ico *.tif *.tiff *.wmf *.emf);;All files (*)</source>
        <translation>Картинки (*.png *.bmp *.jpg *.jpeg *.gif *.ico *.tif *.tiff *.wmf *.emf);;Все файлы (*)</translation>
    </message>
</context>
<context>
    <name>taleplay::EditMode</name>
    <message>
        <source>A value cannot hold &quot;#&quot; or a line break: the player would cut it there.</source>
        <translation>Значение не может содержать «#» или перевод строки: игра обрежет его на этом месте.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds a character that %2 cannot hold; nothing was changed.</source>
        <translation>В «%1» есть знак, которого нет в кодировке %2; ничего не изменено.</translation>
    </message>
    <message>
        <source>The game already has as many of these as the player reads.</source>
        <translation>В игре уже столько таких элементов, сколько читает проигрыватель.</translation>
    </message>
    <message>
        <source>Put a picture into the game&apos;s folder first: the new one shows it.</source>
        <translation>Сначала положите картинку в папку игры: новый элемент покажет её.</translation>
    </message>
    <message>
        <source>New text</source>
        <translation>Новый текст</translation>
    </message>
    <message>
        <source>Picture file</source>
        <translation>Файл картинки</translation>
    </message>
    <message>
        <source>Hint for screen readers</source>
        <translation>Подсказка для экранного диктора</translation>
    </message>
    <message>
        <source>Text, a line for each string</source>
        <translation>Текст, по строке на каждую строку надписи</translation>
    </message>
    <message>
        <source>Letter colour</source>
        <translation>Цвет букв</translation>
    </message>
    <message>
        <source>Items, a line for each</source>
        <translation>Пункты, по строке на каждый</translation>
    </message>
    <message>
        <source>Text at the start</source>
        <translation>Текст в начале</translation>
    </message>
    <message>
        <source>Right answers, a line for each</source>
        <translation>Правильные ответы, по строке на каждый</translation>
    </message>
    <message>
        <source>Fill colour</source>
        <translation>Цвет заливки</translation>
    </message>
    <message>
        <source>Outline colour</source>
        <translation>Цвет контура</translation>
    </message>
    <message>
        <source>Video file</source>
        <translation>Файл видео</translation>
    </message>
    <message>
        <source>%1 cannot be read.</source>
        <translation>Не удаётся прочитать %1.</translation>
    </message>
    <message>
        <source>%1 could not be copied into the game: %2</source>
        <translation>Не удалось скопировать %1 в игру: %2</translation>
    </message>
    <message>
        <source>%1 could not be copied into the game.</source>
        <translation>Не удалось скопировать %1 в игру.</translation>
    </message>
    <message>
        <source>picture</source>
        <translation>картинка</translation>
    </message>
    <message>
        <source>shape</source>
        <translation>фигура</translation>
    </message>
    <message>
        <source>text line</source>
        <translation>надпись</translation>
    </message>
    <message>
        <source>list</source>
        <translation>список</translation>
    </message>
    <message>
        <source>text window</source>
        <translation>окно ввода</translation>
    </message>
    <message>
        <source>button</source>
        <translation>кнопка</translation>
    </message>
    <message>
        <source>large background</source>
        <translation>большой фон</translation>
    </message>
    <message>
        <source>video window</source>
        <translation>окно видео</translation>
    </message>
    <message>
        <source>%1 reads as not given, so the default applies</source>
        <translation>%1 читается как не заданный, действует значение по умолчанию</translation>
    </message>
    <message>
        <source>%1 is no longer centred: written as %2 of %3 divisions</source>
        <translation>%1 больше не по центру: записано %2 из %3 долей</translation>
    </message>
    <message>
        <source>%1: %2 of %3 divisions, %4 px from where it was put</source>
        <translation>%1: %2 из %3 долей, на %4 пикс. от того места, куда поставили</translation>
    </message>
    <message>
        <source>%1: %2 of %3 divisions</source>
        <translation>%1: %2 из %3 долей</translation>
    </message>
    <message>
        <source>%1%2# added on a line of its own</source>
        <translation>%1%2# добавлен отдельной строкой</translation>
    </message>
    <message>
        <source>Add picture</source>
        <translation>Добавить картинку</translation>
    </message>
    <message>
        <source>Add text line</source>
        <translation>Добавить надпись</translation>
    </message>
    <message>
        <source>Add text window</source>
        <translation>Добавить окно ввода</translation>
    </message>
    <message>
        <source>Add button</source>
        <translation>Добавить кнопку</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Edit mode: click or Tab to select, drag to move, handles resize, arrows nudge, Enter edits, Delete removes, Ctrl+Z undoes, Ctrl+S saves, F6 plays.</source>
        <translation>Режим правки: щелчок или Tab выбирает, перетаскивание двигает, маркеры меняют размер, стрелки сдвигают, Enter правит, Delete убирает, Ctrl+Z отменяет, Ctrl+S сохраняет, F6 возвращает к игре.</translation>
    </message>
    <message>
        <source>Selected: %1 %2 (%3), %4, %5, %6 x %7.</source>
        <translation>Выбрано: %1 %2 (%3), %4, %5, %6 x %7.</translation>
    </message>
    <message>
        <source>Not saved yet.</source>
        <translation>Ещё не сохранено.</translation>
    </message>
    <message>
        <source>Move %1</source>
        <translation>Сдвинуть %1</translation>
    </message>
    <message>
        <source>Resize %1</source>
        <translation>Изменить размер %1</translation>
    </message>
    <message>
        <source>The large background always fills the window; Enter changes its picture.</source>
        <translation>Большой фон всегда занимает всё окно; Enter меняет его картинку.</translation>
    </message>
    <message>
        <source>Take %1 off the screen? Its keys are taken out of %2; Ctrl+Z brings them back.</source>
        <translation>Убрать %1 с экрана? Его ключи будут удалены из %2; Ctrl+Z вернёт их.</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>Убрать %1</translation>
    </message>
    <message>
        <source>%1 taken out of %2.</source>
        <translation>%1 удалён из %2.</translation>
    </message>
    <message>
        <source>Add %1</source>
        <translation>Добавить: %1</translation>
    </message>
    <message>
        <source>%1 added at %2, %3; Ctrl+S saves it and shows it.</source>
        <translation>%1 добавлен в точке %2, %3; Ctrl+S сохранит и покажет его.</translation>
    </message>
    <message>
        <source>A click rule to fill in follows its keys: put &quot;*&quot; before it when it is done.</source>
        <translation>После его ключей стоит заготовка правила щелчка: заполните её и поставьте перед ней «*».</translation>
    </message>
    <message>
        <source>Edit %1</source>
        <translation>Править %1</translation>
    </message>
    <message>
        <source>%1 changed; Ctrl+S saves it and shows it.</source>
        <translation>%1 изменён; Ctrl+S сохранит и покажет его.</translation>
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
    <message>
        <source>First start</source>
        <translation>Первый запуск</translation>
    </message>
    <message>
        <source>Rebuild %1</source>
        <translation>Пересборка %1</translation>
    </message>
    <message numerus="yes">
        <source>The checker on the files as they are now: %n finding(s)</source>
        <translation>
            <numerusform>Проверка файлов, какие они сейчас: %n находка</numerusform>
            <numerusform>Проверка файлов, какие они сейчас: %n находки</numerusform>
            <numerusform>Проверка файлов, какие они сейчас: %n находок</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>taleplay::editing::EditSession</name>
    <message>
        <source>%1 would no longer be read as %2; nothing was saved.</source>
        <translation>%1 больше не читался бы как %2; ничего не сохранено.</translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>%1 changed on disk after it was read here; nothing was saved. Save again to write the edits over that change.</source>
        <translation>%1 изменён на диске после того, как был прочитан здесь; ничего не сохранено. Сохраните ещё раз, чтобы записать правки поверх этого изменения.</translation>
    </message>
</context>
<context>
    <name>taleplay::launch::ClassResultsWindow</name>
    <message>
        <source>%1 — %2 — Taleplay</source>
        <translation>%1 — %2 — Taleplay</translation>
    </message>
    <message>
        <source>&amp;Game:</source>
        <translation>&amp;Игра:</translation>
    </message>
    <message>
        <source>&amp;Day:</source>
        <translation>&amp;День:</translation>
    </message>
    <message>
        <source>&amp;Sort by:</source>
        <translation>&amp;Порядок:</translation>
    </message>
    <message>
        <source>Mark, best first</source>
        <translation>Оценка, сначала лучшие</translation>
    </message>
    <message>
        <source>Time, latest first</source>
        <translation>Время, сначала последние</translation>
    </message>
    <message>
        <source>&amp;Reload</source>
        <translation>&amp;Обновить</translation>
    </message>
    <message>
        <source>Save as &amp;CSV…</source>
        <translation>Сохранить &amp;CSV…</translation>
    </message>
    <message>
        <source>Save as &amp;HTML…</source>
        <translation>Сохранить &amp;HTML…</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Закрыть</translation>
    </message>
    <message>
        <source>All games</source>
        <translation>Все игры</translation>
    </message>
    <message>
        <source>All days</source>
        <translation>Все дни</translation>
    </message>
    <message>
        <source>%1 cannot be saved: %2</source>
        <translation>%1 не удалось сохранить: %2</translation>
    </message>
    <message>
        <source>Save as CSV</source>
        <translation>Сохранить как CSV</translation>
    </message>
    <message>
        <source>Save as HTML</source>
        <translation>Сохранить как HTML</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>Web pages (*.html *.htm)</source>
        <translation>Веб-страницы (*.html *.htm)</translation>
    </message>
    <message>
        <source>C&amp;lass:</source>
        <translation>&amp;Класс:</translation>
    </message>
    <message>
        <source>All classes</source>
        <translation>Все классы</translation>
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
    <message>
        <source>Class &amp;results…</source>
        <translation>&amp;Результаты класса…</translation>
    </message>
    <message>
        <source>New game — Taleplay</source>
        <translation>Новая игра — Taleplay</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Выбрать…</translation>
    </message>
    <message>
        <source>Folder for the new game</source>
        <translation>Папка для новой игры</translation>
    </message>
    <message>
        <source>UTF-8, as Linux editors save</source>
        <translation>UTF-8, как сохраняют редакторы в Linux</translation>
    </message>
    <message>
        <source>Windows-1251, for the Windows player too</source>
        <translation>Windows-1251, чтобы шла и в плеере для Windows</translation>
    </message>
    <message>
        <source>&amp;Folder:</source>
        <translation>&amp;Папка:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Имя:</translation>
    </message>
    <message>
        <source>&amp;Encoding:</source>
        <translation>&amp;Кодировка:</translation>
    </message>
    <message>
        <source>A new game is made from the school quiz, to be changed into your own.</source>
        <translation>Новая игра делается из школьной викторины — переделайте её в свою.</translation>
    </message>
    <message>
        <source>&amp;New game…</source>
        <translation>&amp;Новая игра…</translation>
    </message>
    <message>
        <source>Games in the Documents folder</source>
        <translation>Игры в папке «Документы»</translation>
    </message>
    <message>
        <source>Examples</source>
        <translation>Примеры</translation>
    </message>
</context>
</TS>
