<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CommandLine</name>
    <message>
        <source>brevak: cannot open the window: %1. To import without a window, run brevak --import SOURCE[,SOURCE...] (see brevak --help).</source>
        <translation>brevak: не удаётся открыть окно: %1. Чтобы импортировать без окна, запустите brevak --import SOURCE[,SOURCE...] (см. brevak --help).</translation>
    </message>
    <message>
        <source>Prints this help and exits.</source>
        <translation>Выводит эту справку и завершает работу.</translation>
    </message>
    <message>
        <source>Prints the version and exits.</source>
        <translation>Выводит версию и завершает работу.</translation>
    </message>
    <message>
        <source>With --import: prints errors and warnings only.</source>
        <translation>С --import: выводит только ошибки и предупреждения.</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>Подробности: «%1 --help».</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>лишний аргумент «%1»</translation>
    </message>
    <message>
        <source>License MIT: &lt;https://opensource.org/licenses/MIT&gt;.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.
</source>
        <translation>Лицензия MIT: &lt;https://opensource.org/licenses/MIT&gt;.
Это свободное программное обеспечение: вы можете изменять и распространять его.
НИКАКИХ ГАРАНТИЙ в пределах, допускаемых законом.
</translation>
    </message>
    <message>
        <source>unknown source &quot;%1&quot;</source>
        <translation>неизвестный источник «%1»</translation>
    </message>
    <message>
        <source>unknown source &quot;%1&quot; (did you mean &quot;%2&quot;?)</source>
        <translation>неизвестный источник «%1» (возможно, имелся в виду «%2»?)</translation>
    </message>
    <message>
        <source>%1: no entries in the answer; the page may have changed</source>
        <translation>%1: в ответе нет записей; возможно, страница изменилась</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n entries</source>
        <translation>
            <numerusform>%1: %n запись</numerusform>
            <numerusform>%1: %n записи</numerusform>
            <numerusform>%1: %n записей</numerusform>
        </translation>
    </message>
    <message>
        <source>Nothing was saved; the list file %1 was left as it was.</source>
        <translation>Ничего не сохранено; файл списка %1 оставлен без изменений.</translation>
    </message>
    <message>
        <source>%1: the previous list file has no section of it to keep</source>
        <translation>%1: в прежнем файле списка нет его раздела, который можно было бы сохранить</translation>
    </message>
    <message>
        <source>Nothing was imported; the list file %1 was left as it was.</source>
        <translation>Ничего не импортировано; файл списка %1 оставлен без изменений.</translation>
    </message>
    <message>
        <source>List file: %1</source>
        <translation>Файл списка: %1</translation>
    </message>
    <message>
        <source>no X server answers on display %1</source>
        <translation>X-сервер не отвечает на дисплее %1</translation>
    </message>
    <message>
        <source>no Wayland compositor answers on %1</source>
        <translation>композитор Wayland не отвечает на %1</translation>
    </message>
    <message>
        <source>no display (neither DISPLAY nor WAYLAND_DISPLAY is set)</source>
        <translation>нет дисплея (не задана ни DISPLAY, ни WAYLAND_DISPLAY)</translation>
    </message>
    <message numerus="yes">
        <source>%1: kept its section of the previous list file (%n entries)</source>
        <translation>
            <numerusform>%1: сохранён раздел из прежнего файла списка (%n запись)</numerusform>
            <numerusform>%1: сохранён раздел из прежнего файла списка (%n записи)</numerusform>
            <numerusform>%1: сохранён раздел из прежнего файла списка (%n записей)</numerusform>
        </translation>
    </message>
    <message>
        <source>--max-time wants a number of seconds from 0.001 to 2000000, not &quot;%1&quot;</source>
        <translation>--max-time ожидает число секунд от 0.001 до 2000000, а не «%1»</translation>
    </message>
    <message>
        <source>Brevak is already running and is using %1</source>
        <translation>Brevak уже запущен и использует %1</translation>
    </message>
    <message>
        <source>Brevak is already running (process %1) and is using %2</source>
        <translation>Brevak уже запущен (процесс %1) и использует %2</translation>
    </message>
    <message>
        <source>Cannot use the lock file %1: %2</source>
        <translation>Не удаётся использовать файл блокировки %1: %2</translation>
    </message>
    <message>
        <source>Builds the club member list brevak.ini from clubs&apos; and services&apos; member lists.
Without options it opens the window; --import runs imports without one.
Sources, in the window&apos;s order: %1, then the clubs that sources.ini describes in [Source NAME] sections (see --list-sources); &quot;all&quot; names every one.</source>
        <translation>Составляет список членов клубов brevak.ini из списков членов клубов и сервисов.
Без параметров открывает окно; --import выполняет импорт без окна.
Источники в порядке кнопок окна: %1, затем клубы, описанные в sources.ini разделами [Source NAME] (см. --list-sources); «all» означает все.</translation>
    </message>
    <message>
        <source>Imports the named sources without a window and replaces the list file once at the end with their sections in the given order. The fetches run at the same time. A source that fails keeps its section of the previous list file, and the exit status is 1. Names are the sources.ini keys and section names, without regard to case and spaces (5ocean), or &quot;all&quot;.</source>
        <translation>Импортирует указанные источники без окна и в конце один раз заменяет файл списка их разделами в заданном порядке. Загрузки идут одновременно. Источник, который не удалось загрузить, сохраняет свой раздел из прежнего файла списка, а код завершения равен 1. Имена — это ключи и имена разделов sources.ini без учёта регистра и пробелов (5ocean) или «all».</translation>
    </message>
    <message>
        <source>With --import or --check-source: each fetch ends after SECONDS in all, from the name lookup to the last byte (default 600).</source>
        <translation>С --import или --check-source: каждая загрузка прерывается через SECONDS секунд от поиска имени до последнего байта (по умолчанию 600).</translation>
    </message>
    <message>
        <source>Lists every source in the window&apos;s order: its rule, where it is described and its URL.</source>
        <translation>Выводит все источники в порядке кнопок окна: правило, где источник описан, и его адрес.</translation>
    </message>
    <message>
        <source>Fetches one source and prints what its import would append (the first 20 entries and the count), without touching the list file: to try a club&apos;s description.</source>
        <translation>Загружает один источник и выводит, что добавил бы его импорт (первые 20 записей и их число), не трогая файл списка: так можно проверить описание клуба.</translation>
    </message>
    <message>
        <source>--import, --list-sources and --check-source go one at a time</source>
        <translation>--import, --list-sources и --check-source нельзя указывать вместе</translation>
    </message>
    <message>
        <source>--check-source takes one source</source>
        <translation>--check-source принимает только один источник</translation>
    </message>
    <message>
        <source>--max-time is for --import and --check-source</source>
        <translation>--max-time указывается только с --import или --check-source</translation>
    </message>
    <message>
        <source>&quot;all&quot; takes in source &quot;%1&quot;, whose section in sources.ini was left out for the error above</source>
        <translation>«all» включает источник «%1», раздел которого в sources.ini пропущен из-за ошибки выше</translation>
    </message>
    <message>
        <source>the section of source &quot;%1&quot; in sources.ini was left out for the error above</source>
        <translation>раздел источника «%1» в sources.ini пропущен из-за ошибки выше</translation>
    </message>
    <message numerus="yes">
        <source>... and %1 more (%n entries)</source>
        <translation>
            <numerusform>... и ещё %1 (всего %n запись)</numerusform>
            <numerusform>... и ещё %1 (всего %n записи)</numerusform>
            <numerusform>... и ещё %1 (всего %n записей)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n entries</source>
        <translation>
            <numerusform>%n запись</numerusform>
            <numerusform>%n записи</numerusform>
            <numerusform>%n записей</numerusform>
        </translation>
    </message>
    <message>
        <source>built in</source>
        <translation>встроенный</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Источник</translation>
    </message>
    <message>
        <source>Rule</source>
        <translation>Правило</translation>
    </message>
    <message>
        <source>Described in</source>
        <translation>Где описан</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>Адрес</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>Could not fetch &quot;%1&quot; from %2: %3</source>
        <translation>Не удалось загрузить «%1» с адреса %2: %3</translation>
    </message>
    <message>
        <source>No host is set for &quot;%1&quot;: add %2=HOST[:PORT] under [Hosts] in %3 (%4 in sources.ini is no source&apos;s name)</source>
        <translation>Для «%1» не задан сервер: добавьте %2=HOST[:PORT] в раздел [Hosts] файла %3 (%4 в sources.ini не является именем источника)</translation>
    </message>
    <message>
        <source>No host is set for &quot;%1&quot;: add %2=HOST[:PORT] under [Hosts] in %3 (%4 in sources.ini are no source&apos;s names)</source>
        <translation>Для «%1» не задан сервер: добавьте %2=HOST[:PORT] в раздел [Hosts] файла %3 (%4 в sources.ini не являются именами источников)</translation>
    </message>
    <message>
        <source>No host is set for &quot;%1&quot;: add %2=HOST[:PORT] under [Hosts] in %3</source>
        <translation>Для «%1» не задан сервер: добавьте %2=HOST[:PORT] в раздел [Hosts] файла %3</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. The folder &quot;%2&quot; does not take new files: %3</source>
        <translation>Не удаётся создать файл «%1». Папка «%2» не принимает новые файлы: %3</translation>
    </message>
    <message>
        <source>Cannot load file &quot;%1&quot;. It begins with the UTF-8 signature but does not hold valid UTF-8; it was left unchanged</source>
        <translation>Не удаётся загрузить файл «%1». Он начинается с сигнатуры UTF-8, но не содержит корректного UTF-8; файл оставлен без изменений</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%1&quot;. %2</source>
        <translation>Не удаётся прочитать файл «%1». %2</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>Не удаётся открыть файл «%1». %2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>Не удаётся создать файл «%1». %2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;. %2</source>
        <translation>Не удаётся записать файл «%1». %2</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Не удаётся записать в %1</translation>
    </message>
    <message>
        <source>It is a named pipe (FIFO), not a regular file</source>
        <translation>Это именованный канал (FIFO), а не обычный файл</translation>
    </message>
    <message>
        <source>It is a character device, not a regular file</source>
        <translation>Это символьное устройство, а не обычный файл</translation>
    </message>
    <message>
        <source>It is a block device, not a regular file</source>
        <translation>Это блочное устройство, а не обычный файл</translation>
    </message>
    <message>
        <source>It is a socket, not a regular file</source>
        <translation>Это сокет, а не обычный файл</translation>
    </message>
    <message>
        <source>It is something other than a file, not a regular file</source>
        <translation>Это не файл, а нечто иное</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>неизвестная ошибка</translation>
    </message>
    <message>
        <source>host not found</source>
        <translation>узел не найден</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>в соединении отказано</translation>
    </message>
    <message>
        <source>timed out</source>
        <translation>время ожидания истекло</translation>
    </message>
    <message>
        <source>connection reset by the server</source>
        <translation>сервер сбросил соединение</translation>
    </message>
    <message>
        <source>connection closed by the server</source>
        <translation>сервер закрыл соединение</translation>
    </message>
    <message>
        <source>connection closed by the peer</source>
        <translation>другая сторона закрыла соединение</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>недостаточно памяти</translation>
    </message>
    <message>
        <source>TLS unavailable</source>
        <translation>TLS недоступен</translation>
    </message>
    <message>
        <source>TLS handshake failed: %1</source>
        <translation>ошибка согласования TLS: %1</translation>
    </message>
    <message>
        <source>TLS error: %1</source>
        <translation>ошибка TLS: %1</translation>
    </message>
    <message>
        <source>network error %1</source>
        <translation>сетевая ошибка %1</translation>
    </message>
    <message>
        <source>response body too large</source>
        <translation>тело ответа слишком велико</translation>
    </message>
    <message>
        <source>response header too large</source>
        <translation>заголовок ответа слишком велик</translation>
    </message>
    <message>
        <source>malformed chunked body</source>
        <translation>искажённое тело ответа по частям (chunked)</translation>
    </message>
    <message>
        <source>chunk size too large</source>
        <translation>слишком большой размер части (chunk)</translation>
    </message>
    <message>
        <source>the server&apos;s gzip data is corrupt</source>
        <translation>данные gzip от сервера повреждены</translation>
    </message>
    <message>
        <source>the server&apos;s deflate data is corrupt</source>
        <translation>данные deflate от сервера повреждены</translation>
    </message>
    <message>
        <source>the server sent the list encoded as &quot;%1&quot;, which Brevak cannot read</source>
        <translation>сервер прислал список в кодировке «%1», которую Brevak не умеет читать</translation>
    </message>
    <message>
        <source>the server answered %1</source>
        <translation>сервер ответил %1</translation>
    </message>
    <message>
        <source>proxy %1 refused the connection</source>
        <translation>прокси %1 отказал в соединении</translation>
    </message>
    <message>
        <source>proxy %1: %2</source>
        <translation>прокси %1: %2</translation>
    </message>
    <message>
        <source>no HTTP answer to CONNECT</source>
        <translation>нет HTTP-ответа на CONNECT</translation>
    </message>
    <message>
        <source>data before the TLS handshake</source>
        <translation>данные до согласования TLS</translation>
    </message>
    <message>
        <source>the proxy %1://... is not supported (only http:// proxies)</source>
        <translation>прокси %1://... не поддерживается (только прокси http://)</translation>
    </message>
    <message>
        <source>the proxy &quot;%1&quot; names no host</source>
        <translation>в прокси «%1» не указан узел</translation>
    </message>
    <message>
        <source>%1 (through proxy %2)</source>
        <translation>%1 (через прокси %2)</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>это символическая ссылка</translation>
    </message>
    <message>
        <source>it is no regular file</source>
        <translation>это не обычный файл</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>он принадлежит другому пользователю</translation>
    </message>
    <message>
        <source>timed out after %1 s</source>
        <translation>время ожидания истекло через %1 с</translation>
    </message>
    <message>
        <source>the server&apos;s status line is malformed</source>
        <translation>строка состояния от сервера искажена</translation>
    </message>
    <message>
        <source>the proxy port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>порт прокси «%1» не является числом от 1 до 65535</translation>
    </message>
    <message>
        <source>the port &quot;%1&quot; is not a number from 1 to 65535</source>
        <translation>порт «%1» не является числом от 1 до 65535</translation>
    </message>
    <message>
        <source>proxy %1 answered %2</source>
        <translation>прокси %1 ответил %2</translation>
    </message>
    <message>
        <source>The host &quot;%1&quot; of &quot;%2&quot; in %3 is not a host name, host:port, [IPv6 address]:port or an http:// or https:// URL without user name or fragment</source>
        <translation>Сервер «%1» для «%2» в %3 не является ни именем узла, ни host:port, ни [адрес IPv6]:port, ни URL http:// или https:// без имени пользователя и фрагмента</translation>
    </message>
    <message>
        <source>the server answered %1. The list is now at %2: to fetch it from there, set %3=%4 under [Hosts] in %5</source>
        <translation>сервер ответил %1. Список теперь находится по адресу %2: чтобы загружать его оттуда, задайте %3=%4 в разделе [Hosts] файла %5</translation>
    </message>
    <message>
        <source>the server answered %1. The list is now at %2</source>
        <translation>сервер ответил %1. Список теперь находится по адресу %2</translation>
    </message>
    <message>
        <source>the server answered %1 (the list is now at %2)</source>
        <translation>сервер ответил %1 (список теперь находится по адресу %2)</translation>
    </message>
    <message>
        <source>It is a link that belongs to another user</source>
        <translation>Это ссылка, принадлежащая другому пользователю</translation>
    </message>
    <message>
        <source>It belongs to another user</source>
        <translation>Он принадлежит другому пользователю</translation>
    </message>
    <message>
        <source>Other users may change it</source>
        <translation>Другие пользователи могут его изменять</translation>
    </message>
    <message>
        <source>%1. Every key is listed in %2</source>
        <translation>%1. Все ключи перечислены в файле %2</translation>
    </message>
    <message>
        <source>%1, line %2: [%3] %4: %5</source>
        <translation>%1, строка %2: [%3] %4: %5</translation>
    </message>
    <message>
        <source>%1, line %2: [%3]: %4</source>
        <translation>%1, строка %2: [%3]: %4</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>не задан</translation>
    </message>
    <message>
        <source>no such key</source>
        <translation>такого ключа нет</translation>
    </message>
    <message>
        <source>not a number of lines from 0 to 1000000</source>
        <translation>не число строк от 0 до 1000000</translation>
    </message>
    <message>
        <source>not windows-1251, utf-8 or auto</source>
        <translation>не windows-1251, не utf-8 и не auto</translation>
    </message>
    <message>
        <source>not only or any</source>
        <translation>не only и не any</translation>
    </message>
    <message>
        <source>not lines, columns or pattern</source>
        <translation>не lines, не columns и не pattern</translation>
    </message>
    <message>
        <source>not used by Rule=%1</source>
        <translation>не используется при Rule=%1</translation>
    </message>
    <message>
        <source>not one character (or tab)</source>
        <translation>не один символ (и не tab)</translation>
    </message>
    <message>
        <source>not a column number from 1 to 1000</source>
        <translation>не номер столбца от 1 до 1000</translation>
    </message>
    <message>
        <source>not all or first</source>
        <translation>не all и не first</translation>
    </message>
    <message>
        <source>at position %1: %2</source>
        <translation>в позиции %1: %2</translation>
    </message>
    <message>
        <source>only patterns of the forms TEXT(.*?)TEXT, (.*?)TEXT and TEXT(.*?\d.*?)TEXT, or without *, + and ?, are searched in a time that no page can stretch</source>
        <translation>допустимы только шаблоны вида TEXT(.*?)TEXT, (.*?)TEXT и TEXT(.*?\d.*?)TEXT или без *, + и ?: лишь их поиск никакая страница не может затянуть</translation>
    </message>
    <message>
        <source>the section names no source</source>
        <translation>в заголовке раздела нет имени источника</translation>
    </message>
    <message>
        <source>the name is longer than 40 characters</source>
        <translation>имя длиннее 40 символов</translation>
    </message>
    <message>
        <source>the name may not hold control characters, &apos;,&apos;, &apos;=&apos;, &apos;[&apos; or &apos;]&apos;</source>
        <translation>в имени не может быть управляющих символов и знаков &apos;,&apos;, &apos;=&apos;, &apos;[&apos; и &apos;]&apos;</translation>
    </message>
    <message>
        <source>&quot;all&quot; names every source on the command line</source>
        <translation>«all» в командной строке означает все источники</translation>
    </message>
    <message>
        <source>a source of this name is described above</source>
        <translation>источник с таким именем уже описан выше</translation>
    </message>
    <message>
        <source>not an http:// or https:// URL</source>
        <translation>не адрес http:// или https://</translation>
    </message>
    <message>
        <source>a fragment (#...) is never sent to the server</source>
        <translation>фрагмент (#...) серверу никогда не передаётся</translation>
    </message>
    <message>
        <source>spaces, control characters and non-ASCII must be %-escaped</source>
        <translation>пробелы, управляющие символы и символы вне ASCII нужно записывать через %-кодирование</translation>
    </message>
    <message>
        <source>a query needs a path (/?...)</source>
        <translation>перед запросом нужен путь (/?...)</translation>
    </message>
    <message>
        <source>a user name is not allowed</source>
        <translation>имя пользователя не допускается</translation>
    </message>
    <message>
        <source>the IPv6 address has no closing ]</source>
        <translation>у адреса IPv6 нет закрывающей ]</translation>
    </message>
    <message>
        <source>text after the IPv6 address</source>
        <translation>текст после адреса IPv6</translation>
    </message>
    <message>
        <source>not an IPv6 address in brackets</source>
        <translation>в скобках не адрес IPv6</translation>
    </message>
    <message>
        <source>no host</source>
        <translation>не указан хост</translation>
    </message>
    <message>
        <source>the host is not a host name</source>
        <translation>хост не является именем хоста</translation>
    </message>
    <message>
        <source>the port is not a number from 1 to 65535</source>
        <translation>порт — не число от 1 до 65535</translation>
    </message>
    <message>
        <source>TMatcher(comp): Too Many Groups</source>
        <translation>TMatcher(comp): слишком много групп</translation>
    </message>
    <message>
        <source>TMatcher(comp): Missing )</source>
        <translation>TMatcher(comp): не хватает )</translation>
    </message>
    <message>
        <source>TMatcher(comp): Unmatched )</source>
        <translation>TMatcher(comp): лишняя )</translation>
    </message>
    <message>
        <source>TMatcher(comp): Repeated Atom Can Match Nothing</source>
        <translation>TMatcher(comp): повторяемый элемент может совпасть с пустой строкой</translation>
    </message>
    <message>
        <source>TMatcher(comp): Nested Repetition</source>
        <translation>TMatcher(comp): вложенное повторение</translation>
    </message>
    <message>
        <source>TMatcher(comp): Repetition Follows Nothing</source>
        <translation>TMatcher(comp): повторять нечего</translation>
    </message>
    <message>
        <source>TMatcher(comp): Trailing \</source>
        <translation>TMatcher(comp): \ в конце шаблона</translation>
    </message>
    <message>
        <source>TMatcher(comp): Unsupported Construct</source>
        <translation>TMatcher(comp): неподдерживаемая конструкция</translation>
    </message>
</context>
<context>
    <name>brevak::TfrmMain</name>
    <message>
        <source>Key %1</source>
        <translation>Клавиша %1</translation>
    </message>
    <message>
        <source>Import progress</source>
        <translation>Ход импорта</translation>
    </message>
</context>
</TS>
