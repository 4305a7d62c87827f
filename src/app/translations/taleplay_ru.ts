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
  --results DIR          write result files into DIR (as TALEPLAY_RESULTS does);
                         DIR may also be a school&apos;s database:
                         postgresql://HOST/NAME or service=NAME
  --class-results DIR    show the class&apos;s results in the results folder (or
                         the database) DIR
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
  --results ПАПКА         записывать файлы результатов в ПАПКУ (как TALEPLAY_RESULTS);
                          ПАПКОЙ может быть и база данных школы:
                          postgresql://СЕРВЕР/ИМЯ или service=ИМЯ
  --class-results ПАПКА   показать результаты класса из папки результатов (или
                          базы данных) ПАПКА
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
    <message>
        <source>--class-results takes a results folder</source>
        <translation>--class-results ждёт папку результатов</translation>
    </message>
    <message>
        <source>--class-results shows results and plays no GAME</source>
        <translation>с --class-results ИГРА не указывается: он только показывает результаты</translation>
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
        <source>Your result is written beside the game instead: tell your teacher.</source>
        <translation>Ваш результат запишется рядом с игрой: скажите об этом учителю.</translation>
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
    <message>
        <source>Class &amp;results…</source>
        <translation>&amp;Результаты класса…</translation>
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
    <name>ResultsCommand</name>
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
        <source>--class takes a class&apos;s name</source>
        <translation>--class требует название класса</translation>
    </message>
    <message>
        <source>no class %1 in the lists of %2</source>
        <translation>в списках %2 нет класса %1</translation>
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
</TS>
