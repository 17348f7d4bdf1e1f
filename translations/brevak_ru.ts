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
        <source>Builds the club member list brevak.ini from ten clubs&apos; and services&apos; member lists.
Without options it opens the window; --import runs imports without one.
Sources, in the window&apos;s order: %1; &quot;all&quot; names the ten.</source>
        <translation>Составляет список членов клубов brevak.ini из списков членов десяти клубов и сервисов.
Без параметров открывает окно; --import выполняет импорт без окна.
Источники в порядке кнопок окна: %1; «all» означает все десять.</translation>
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
        <source>Imports the named sources without a window and replaces the list file once at the end with their sections in the given order. The fetches run at the same time. A source that fails keeps its section of the previous list file, and the exit status is 1. Names are the sources.ini keys, without regard to case and spaces (5ocean), or &quot;all&quot;.</source>
        <translation>Импортирует указанные источники без окна и в конце один раз заменяет файл списка их разделами в заданном порядке. Загрузки идут одновременно. Источник, который не удалось загрузить, сохраняет свой раздел из прежнего файла списка, а код завершения равен 1. Имена — это ключи sources.ini без учёта регистра и пробелов (5ocean) или «all».</translation>
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
        <source>With --import: each fetch ends after SECONDS in all, from the name lookup to the last byte (default 600).</source>
        <translation>С --import: каждая загрузка прерывается через SECONDS секунд от поиска имени до последнего байта (по умолчанию 600).</translation>
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
</context>
<context>
    <name>TfrmMain</name>
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
