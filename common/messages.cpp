#include "common/messages.h"

const char16_t* const MESSAGES[MESSAGE_ROWS][2] = {
    /* 0 */ {u"Текстовое сообщение для данного кода ошибки отсутствует",
             u"There is no text message for this error code"},
    /* 1 */ {u"Объект ядра \"Event\" не был создан в Brackenfold",
             u"\"Event\" kernel object was not created in Brackenfold"},
    /* 2 */ {u"Объект ядра \"FileMapping\" не был создан в Brackenfold",
             u"\"FileMapping\" kernel object was not created in Brackenfold"},
    /* 3 */ {u"Процесс OmbrixP уже запущен", u"OmbrixP process is already running"},
    /* 4 */ {u"Теги для виртуальных папок не допускаются", u"Tags are not allowed for virtual folders"},
    /* 5 */ {u"Теги для сетевых документов не поддерживаются",
             u"Tags for network documents are not supported"},
    /* 6 */ {u"Размер буфера DW_FILE_MAPPING_SIZE недостаточен для передачи данных",
             u"DW_FILE_MAPPING_SIZE buffer size is not enough for data transfer"},
    /* 7 */ {u"Невозможно создать файл", u"Can't create file"},
    /* 8 */ {u"Путь не найден", u"Path not found"},
    /* 9 */ {u"Объект ядра \"Event\" уже существует", u"\"Event\" kernel object already exists"},
    /* 10 */ {u"Объект ядра \"FileMapping\" уже существует",
              u"\"FileMapping\" kernel object already exists"},
    /* 11 */ {u"Данные из \"OmbrixP\" не получены", u"Data from \"OmbrixP\" not received"},
    /* 12 */ {u"Невозможно перейти в папку", u"Can't go to folder"},
    /* 13 */ {u"Длина пути не может превышать MAX_PATH-1 = 259 символов",
              u"Path length can't be more than MAX_PATH-1 = 259 characters"},
    /* 14 */ {u"Запрос из фонового потока", u"Background thread request"},
    /* 15 */ {u"Выбранный документ неактуален", u"The document selected is out of date"},
    /* 16 */ {u"Полученный код \"shell execute operation code\" не является целым числом",
              u"The code received \"shell execute operation code\" is not an integer number"},
    /* 17 */ {u"Виртуальная файлвая система доступна только для чтения",
              u"Virtual file system access is read only"},
    /* 18 */ {u"Настройки", u"Options"},
    /* 19 */ {u"Сохранять дату", u"Save date"},
    /* 20 */ {u"Автоматическая сортировка", u"Automatic sorting"},
    /* 21 */ {u"Глубина классификации", u"Classification depth"},
    /* 22 */ {u"Количество документов в виртуальной папке", u"Number of documents in a virtual folder"},
    /* 23 */ {u"Папка для сканирования", u"Folder to scan"},
    /* 24 */ {u"Исполняемый файл Total Commander", u"Executable Total Commander file"},
    /* 25 */ {u"Файл базы данных", u"Database file"},
    /* 26 */ {u"Действие при щелчке на виртуальном файле", u"Action on a virtual file click"},
    /* 27 */ {u"Выполнить", u"Execute"},
    /* 28 */ {u"Перейти по ссылке", u"Go to the reference"},
    /* 29 */ {u"ОК", u"OK"},
    /* 30 */ {u"Отмена", u"Cancel"},
    /* 31 */ {u"Вид", u"View"},
    /* 32 */ {u"Действия", u"Actions"},
    /* 33 */ {u"Информация", u"Information"},
    /* 34 */ {u"Разблокировать ячейку", u"Unlock cell"},
    /* 35 */ {u"\"Папка для сканирования\" не существует", u"The \"folder to scan\" does not exist"},
    /* 36 */ {u"Документы", u"Documents"},
    /* 37 */ {u"Устаревшие документы", u"Outdated documents"},
    /* 38 */ {u"Категории", u"Categories"},
    /* 39 */ {u"Теги", u"Tags"},
    /* 40 */ {u"Используемые теги", u"Used tags"},
    /* 41 */ {u"Режим редактора базы данных включён", u"Database editor mode is on"},
    /* 42 */ {u"Режим редактора базы данных выключен", u"Database editor mode is off"},
    /* 43 */ {u"Вы действительно хотите заменить тег", u"Do you really want to substiture tag"},
    /* 44 */ {u"на", u"for"},
    /* 45 */ {u"Действие будет применено ко всей базе данных",
              u"The action will be applied to the whole database"},
    /* 46 */ {u"Показывать строку заголовков", u"Show titles row"},
    /* 47 */ {u"Показывать строку состояния", u"Show status bar"},
    /* 48 */ {u"Показывать строку поиска", u"Show search line"},
    /* 49 */ {u"Перестроить базу данных", u"Rebuild database"},
    /* 50 */ {u"Выход", u"Exit"},
    /* 51 */ {u"Статистика", u"Statistics"},
    /* 52 */ {u"О программе", u"About"},
    /* 53 */ {u"Quillery 1.0, 32-разрядная версия (сборка от 11.12.2026)\n"
              u"\n"
              u"Дополнение к Total Commander, которое динамически классифицирует документы "
              u"по прикреплённым к ним тегам с помощью виртуальных папок.\n"
              u"\n"
              u"Разработчик: команда Brackenfold\n"
              u"Связь: brackenfold@example.org",
              u"Quillery 1.0, 32-bit edition (built 2026-12-11)\n"
              u"\n"
              u"An add-on for Total Commander that classifies documents dynamically "
              u"by their attached tags through virtual folders.\n"
              u"\n"
              u"Made by the Brackenfold team\n"
              u"Contact: brackenfold@example.org"},
    /* 54 */ {u"Идёт перестроение базы данных", u"Database rebuilding in progress"},
    /* 55 */ {u"Перестроение базы данных успешно завершено", u"Database rebuilding successfully completed"},
    /* 56 */ {u"Перестроение базы данных завершено частично", u"Database rebuilding completed partly"},
    /* 57 */ {u"Идёт сбор статистических данных", u"Statistical data collection in progress"},
    /* 58 */ {u"Сбор статистических данных успешно завершён",
              u"Statistical data collection successfully completed"},
    /* 59 */ {u"Сбор статистических данных завершён частично",
              u"Statistical data collection completed partly"},
    /* 60 */ {u"Язык", u"Language"},
    /* 61 */ {u"Русский", u"Russian"},
    /* 62 */ {u"Английский", u"English"},
    /* 63 */ {u"Язык интерфейса изменён. Для применения изменений перезапустите "
              u"\"Total Commander\" и \"OmbrixP\"",
              u"Interface language was changed. To apply changes please restart "
              u"\"Total Commander\" и \"OmbrixP\""},
    /* 64 */ {u"Файл повреждён или имеет неверный формат", u"File is damaged or incorrectly formated"},
};

const char16_t* MessageText(int iRow, int iLangID) {
  const int iColumn = (iLangID == LANGID_ENGLISH) ? LANGID_ENGLISH : LANGID_RUSSIAN;
  return MESSAGES[iRow][iColumn];
}
